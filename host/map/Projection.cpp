#include "host/map/Projection.h"

#include <cmath>
#include <numbers>

namespace host {

namespace {
// Beyond this the equirectangular map stretches too far to be of use; a map there is clamped.
constexpr double kMostLatitude = 85;
} // namespace

Frame_t::Frame_t(double left, double top, double width, double height)
    : m_left(left), m_top(top), m_width(width), m_height(height) {}

void Frame_t::fit(const Extent_t& shown, double leastSpan) {
    const double centre = std::clamp((shown.south + shown.north) / 2, -kMostLatitude, kMostLatitude);
    m_cosLatitude = std::max(0.05, std::cos(centre * std::numbers::pi / 180.0));
    const double spanX = std::max(leastSpan, (shown.east - shown.west) * m_cosLatitude);
    const double spanY = std::max(leastSpan, shown.north - shown.south);
    const double usableX = m_width - 2 * kMargin, usableY = m_height - 2 * kMargin;
    m_scale = std::min(usableX / spanX, usableY / spanY);
    const double middleX = (shown.west + shown.east) / 2, middleY = (shown.south + shown.north) / 2;
    m_west = middleX - m_width / 2 / (m_scale * m_cosLatitude);
    m_north = middleY + m_height / 2 / m_scale;
}

Extent_t Frame_t::covered() const {
    Extent_t extent;
    extent.add(m_west, m_north);
    extent.add(m_west + m_width / (m_scale * m_cosLatitude), m_north - m_height / m_scale);
    return extent;
}

} // namespace host
