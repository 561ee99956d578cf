#ifndef GEO_GEO_POSITION_H
#define GEO_GEO_POSITION_H

#include "geo/GEO_Packed.h"
#include "glo/GLO_Optional.h"

#include <cstdint>

namespace geo {

// Latitude bounds in semicircles (2^31 semicircles = 180 degrees): -90 and +90 degrees.
constexpr int32_t kMaxLatitude = 1073741824;
constexpr int32_t kMinLatitude = -1073741824;

// A place on the globe: latitude and longitude in semicircles, with an optional altitude in
// whatever unit its source gives. Every 32-bit longitude is valid; longitudes wrap modulo 2^32.
// Held as 17 bytes without padding (latitude, longitude, altitude presence, altitude), the way the
// record file holds a position.
class Position_t {
public:
    Position_t() = default;
    // @exception glo::OutOfRange_t (line 63) when the latitude is outside -2^30..2^30.
    Position_t(int32_t latitude, int32_t longitude, const glo::Optional_t<double>& altitude = {});

    int32_t latitude() const { return m_latitude; }
    int32_t longitude() const { return m_longitude; }
    glo::Optional_t<double> altitude() const { return m_altitude; }

    // @exception glo::OutOfRange_t (line 130) when the latitude is outside -2^30..2^30.
    void setLatitude(int32_t latitude);
    void setLongitude(int32_t longitude) { m_longitude = longitude; }
    void setAltitude(const glo::Optional_t<double>& altitude) { m_altitude = altitude; }

    static bool validLatitude(int32_t latitude) {
        return latitude >= kMinLatitude && latitude <= kMaxLatitude;
    }

    friend bool operator==(const Position_t& a, const Position_t& b) {
        return a.latitude() == b.latitude() && a.longitude() == b.longitude() && a.m_altitude == b.m_altitude;
    }

private:
    friend class Box_t; // works on the raw values on the hot path of appending track points

    Packed_t<int32_t> m_latitude;
    Packed_t<int32_t> m_longitude;
    PackedOptional_t<double> m_altitude;
};

// Longitude arithmetic modulo 2^32, done unsigned so that it never overflows.
inline uint32_t longitudeDelta(int32_t to, int32_t from) {
    return static_cast<uint32_t>(to) - static_cast<uint32_t>(from);
}

} // namespace geo

#endif
