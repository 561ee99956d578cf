#include "host/map/Extent.h"

#include <cmath>
#include <numbers>

namespace host {

double gapKm(const Extent_t& a, const Extent_t& b) {
    const double latitude = (a.south + a.north + b.south + b.north) / 4;
    const double cosine = std::cos(latitude * std::numbers::pi / 180.0);
    const double dx = std::max({0.0, a.west - b.east, b.west - a.east}) * cosine * kKmPerDegree;
    const double dy = std::max({0.0, a.south - b.north, b.south - a.north}) * kKmPerDegree;
    return std::hypot(dx, dy);
}

double sizeKm(const Extent_t& extent) {
    const double cosine = std::cos((extent.south + extent.north) / 2 * std::numbers::pi / 180.0);
    return std::hypot((extent.east - extent.west) * cosine, extent.north - extent.south) * kKmPerDegree;
}

} // namespace host
