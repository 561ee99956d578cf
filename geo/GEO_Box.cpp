#include "geo/GEO_Box.h"

#include <utility>

namespace geo {

namespace {
constexpr const char* kSource = "GEO_Box.cpp";
constexpr int32_t kGlobeEast = 0x7FFFFFFF;
constexpr int32_t kGlobeWest = static_cast<int32_t>(0x80000000u);
} // namespace

Box_t::Box_t(int32_t north, int32_t south, int32_t east, int32_t west, glo::Optional_t<double> top,
             glo::Optional_t<double> bottom)
    : m_empty(false), m_northEast(north, east, top), m_southWest(south, west, bottom) {}

Box_t::Box_t(const Position_t& p, const Position_t& q) : m_empty(false), m_northEast(p), m_southWest(q) {
    normalise();
}

int32_t Box_t::north() const {
    if (m_empty)
        throw glo::OutOfRange_t(kSource, 198);
    return m_northEast.latitude();
}
int32_t Box_t::south() const {
    if (m_empty)
        throw glo::OutOfRange_t(kSource, 212);
    return m_southWest.latitude();
}
int32_t Box_t::east() const {
    if (m_empty)
        throw glo::OutOfRange_t(kSource, 226);
    return m_northEast.longitude();
}
int32_t Box_t::west() const {
    if (m_empty)
        throw glo::OutOfRange_t(kSource, 240);
    return m_southWest.longitude();
}
glo::Optional_t<double> Box_t::top() const {
    if (m_empty)
        throw glo::OutOfRange_t(kSource, 254);
    return m_northEast.altitude();
}
glo::Optional_t<double> Box_t::bottom() const {
    if (m_empty)
        throw glo::OutOfRange_t(kSource, 268);
    return m_southWest.altitude();
}

void Box_t::normalise() {
    if (m_empty)
        return;
    const int32_t north = m_northEast.latitude();
    const int32_t south = m_southWest.latitude();
    if (north < south) {
        setNorth(south);
        setSouth(north);
    }
    const int32_t east = m_northEast.longitude();
    const int32_t west = m_southWest.longitude();
    // Keep the shorter way round; exactly half the globe either way stays as it is.
    if (longitudeDelta(west, east) < longitudeDelta(east, west)) {
        m_northEast.setLongitude(west);
        m_southWest.setLongitude(east);
    }
    PackedOptional_t<double>& top = m_northEast.m_altitude;
    PackedOptional_t<double>& bottom = m_southWest.m_altitude;
    if (top.present() != bottom.present()) {
        top.reset();
        bottom.reset();
    } else if (top.present() && top.get() < bottom.get()) {
        std::swap(top, bottom);
    }
}

bool Box_t::containsLongitude(int32_t longitude) const {
    if (m_empty)
        return false;
    const int32_t east = m_northEast.longitude();
    const int32_t west = m_southWest.longitude();
    return longitudeDelta(longitude, west) < longitudeDelta(longitude, east) || longitude == east;
}

bool Box_t::overlapsLongitude(const Box_t& other) const {
    if (m_empty || other.m_empty)
        return false;
    return containsLongitude(other.east()) || containsLongitude(other.west()) ||
           other.containsLongitude(east()) || other.containsLongitude(west());
}

uint32_t Box_t::longitudeSpan() const {
    const int32_t westEdge = west();
    return longitudeDelta(m_northEast.longitude(), westEdge);
}

glo::Optional_t<double> Box_t::altitudeExtent() const {
    const glo::Optional_t<double> low = bottom();
    const glo::Optional_t<double> high = m_northEast.altitude();
    if (high.present() && low.present())
        return high.get() - low.get();
    return {};
}

namespace {

// Whether the span from west eastward to east holds x (both edges included).
bool spanContains(int32_t west, int32_t east, int32_t x) {
    return longitudeDelta(x, west) < longitudeDelta(x, east) || x == east;
}

} // namespace

Box_t Box_t::unite(const Box_t& a, const Box_t& b) {
    Box_t united = a;
    united.unite(b);
    return united;
}

// Works on the raw edges, in place: appending a track point unites boxes twice, so this is on the
// hot path, and a box built elsewhere and copied in would be read back before its bytes settled.
Box_t& Box_t::unite(const Box_t& other) {
    if (m_empty)
        return *this = other;
    if (other.m_empty)
        return *this;
    const Box_t& a = *this;
    const Box_t& b = other;
    const int32_t aNorth = a.m_northEast.latitude(), aSouth = a.m_southWest.latitude();
    const int32_t aEast = a.m_northEast.longitude(), aWest = a.m_southWest.longitude();
    const int32_t bNorth = b.m_northEast.latitude(), bSouth = b.m_southWest.latitude();
    const int32_t bEast = b.m_northEast.longitude(), bWest = b.m_southWest.longitude();
    const int32_t north = bNorth > aNorth ? bNorth : aNorth;
    const int32_t south = bSouth < aSouth ? bSouth : aSouth;

    int32_t east = 0;
    int32_t west = 0;
    const bool aHoldsB = spanContains(aWest, aEast, bEast) && spanContains(aWest, aEast, bWest);
    const bool bHoldsA = spanContains(bWest, bEast, aEast) && spanContains(bWest, bEast, aWest);
    if (aHoldsB && bHoldsA) {
        if (aWest == aEast && bWest == aEast && bEast == aEast) {
            east = west = aEast;
        } else if (aWest == bWest && aEast == bEast) {
            east = aEast;
            west = aWest;
        } else {
            east = kGlobeEast;
            west = kGlobeWest;
        }
    } else if (spanContains(aWest, aEast, bEast) || spanContains(aWest, aEast, bWest) ||
               spanContains(bWest, bEast, aEast) || spanContains(bWest, bEast, aWest)) {
        const uint32_t spanA = longitudeDelta(aEast, aWest);
        west = longitudeDelta(aEast, bWest) > spanA ? bWest : aWest;
        east = longitudeDelta(bEast, aWest) > spanA ? bEast : aEast;
    } else if (longitudeDelta(bWest, aEast) < longitudeDelta(aWest, bEast)) {
        west = aWest;
        east = bEast;
    } else {
        west = bWest;
        east = aEast;
    }

    // The edges come from two boxes' valid latitudes, so the result needs no check of its own.
    const PackedOptional_t<double>& aTop = a.m_northEast.m_altitude;
    const PackedOptional_t<double>& aBottom = a.m_southWest.m_altitude;
    const PackedOptional_t<double>& bTop = b.m_northEast.m_altitude;
    const PackedOptional_t<double>& bBottom = b.m_southWest.m_altitude;
    const bool extentA = aTop.present() && aBottom.present();
    const bool extentB = bTop.present() && bBottom.present();
    // Both altitudes are taken before either is written: `other` may be this box.
    PackedOptional_t<double> top;
    PackedOptional_t<double> bottom;
    if (extentA && extentB) {
        top = bTop.get() > aTop.get() ? bTop : aTop;
        bottom = bBottom.get() < aBottom.get() ? bBottom : aBottom;
    } else if (extentA) {
        top = aTop;
        bottom = aBottom;
    } else if (extentB) {
        top = bTop;
        bottom = bBottom;
    }
    m_northEast.m_latitude = north;
    m_northEast.m_longitude = east;
    m_northEast.m_altitude = top;
    m_southWest.m_latitude = south;
    m_southWest.m_longitude = west;
    m_southWest.m_altitude = bottom;
    return *this;
}

} // namespace geo
