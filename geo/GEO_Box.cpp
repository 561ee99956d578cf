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
const glo::Optional_t<double>& Box_t::top() const {
    if (m_empty)
        throw glo::OutOfRange_t(kSource, 254);
    return m_northEast.altitude();
}
const glo::Optional_t<double>& Box_t::bottom() const {
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
    const glo::Optional_t<double> top = m_northEast.altitude();
    const glo::Optional_t<double> bottom = m_southWest.altitude();
    if (top.present() != bottom.present()) {
        setTop({});
        setBottom({});
    } else if (top.present() && top.get() < bottom.get()) {
        setTop(bottom);
        setBottom(top);
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
    return containsLongitude(other.east()) || containsLongitude(other.west()) || other.containsLongitude(east()) ||
           other.containsLongitude(west());
}

uint32_t Box_t::longitudeSpan() const {
    const int32_t westEdge = west();
    return longitudeDelta(m_northEast.longitude(), westEdge);
}

glo::Optional_t<double> Box_t::altitudeExtent() const {
    const glo::Optional_t<double>& low = bottom();
    const glo::Optional_t<double>& high = m_northEast.altitude();
    if (high.present() && low.present())
        return high.get() - low.get();
    return {};
}

Box_t Box_t::unite(const Box_t& a, const Box_t& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    const int32_t north = b.north() > a.north() ? b.north() : a.north();
    const int32_t south = b.south() < a.south() ? b.south() : a.south();

    int32_t east = 0;
    int32_t west = 0;
    const bool eachCoversOther = a.containsLongitude(b.east()) && a.containsLongitude(b.west()) &&
                                 b.containsLongitude(a.east()) && b.containsLongitude(a.west());
    if (eachCoversOther) {
        if (a.west() == a.east() && b.west() == a.east() && b.east() == a.east()) {
            east = west = a.east();
        } else if (a.west() == b.west() && a.east() == b.east()) {
            east = a.east();
            west = a.west();
        } else {
            east = kGlobeEast;
            west = kGlobeWest;
        }
    } else if (a.overlapsLongitude(b)) {
        const uint32_t spanA = a.longitudeSpan();
        west = longitudeDelta(a.east(), b.west()) > spanA ? b.west() : a.west();
        east = longitudeDelta(b.east(), a.west()) > spanA ? b.east() : a.east();
    } else if (longitudeDelta(b.west(), a.east()) < longitudeDelta(a.west(), b.east())) {
        west = a.west();
        east = b.east();
    } else {
        west = b.west();
        east = a.east();
    }

    glo::Optional_t<double> top;
    glo::Optional_t<double> bottom;
    const bool extentA = a.altitudeExtent().present();
    const bool extentB = b.altitudeExtent().present();
    if (extentA && extentB) {
        top = b.top().get() > a.top().get() ? b.top() : a.top();
        bottom = b.bottom().get() < a.bottom().get() ? b.bottom() : a.bottom();
    } else if (extentA) {
        top = a.top();
        bottom = a.bottom();
    } else if (extentB) {
        top = b.top();
        bottom = b.bottom();
    }
    return Box_t(north, south, east, west, top, bottom);
}

} // namespace geo
