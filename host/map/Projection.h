#ifndef HOST_MAP_PROJECTION_H
#define HOST_MAP_PROJECTION_H

#include "host/map/Extent.h"

namespace host {

// A map's frame on the page and what it shows: equirectangular around the centre latitude of what
// it shows, fitted into the frame with a margin all round, so that distances read the same both
// ways near the middle.
class Frame_t {
public:
    static constexpr double kMargin = 30;

    Frame_t(double left, double top, double width, double height);

    // Fits `shown` (map degrees) into the frame, centred; at least `leastSpan` degrees of latitude
    // either way, so that a speck stays a speck.
    void fit(const Extent_t& shown, double leastSpan);

    double x(double mapDegreesEast) const {
        return m_left + (mapDegreesEast - m_west) * m_cosLatitude * m_scale;
    }
    double y(double latitude) const { return m_top + (m_north - latitude) * m_scale; }

    double left() const { return m_left; }
    double top() const { return m_top; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    double right() const { return m_left + m_width; }
    double bottom() const { return m_top + m_height; }
    // Pixels in a degree of latitude; of longitude, times cosLatitude().
    double scale() const { return m_scale; }
    double cosLatitude() const { return m_cosLatitude; }
    // What the whole frame covers, margins included, in map degrees.
    Extent_t covered() const;

private:
    double m_left, m_top, m_width, m_height;
    double m_west = 0, m_north = 0; // at the frame's top left corner
    double m_cosLatitude = 1, m_scale = 1;
};

} // namespace host

#endif
