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

Box_t& Box_t::unite(const Box_t& other) {
    if (m_empty)
        return *this = other;
    if (!other.m_empty)
        uniteEdges(other.edges());
    return *this;
}

// Normalises as normalise() does, on raw values.
Box_t& Box_t::uniteLeg(const Position_t& p, const Position_t& q) {
    Edges_t leg{p.latitude(), q.latitude(), p.longitude(), q.longitude(), false, 0.0, 0.0};
    if (leg.north < leg.south)
        std::swap(leg.north, leg.south);
    if (longitudeDelta(leg.west, leg.east) < longitudeDelta(leg.east, leg.west))
        std::swap(leg.east, leg.west);
    if (p.m_altitude.present() && q.m_altitude.present()) {
        leg.extent = true;
        leg.top = p.m_altitude.get();
        leg.bottom = q.m_altitude.get();
        if (leg.top < leg.bottom)
            std::swap(leg.top, leg.bottom);
    }
    if (m_empty) {
        m_empty = false;
        setEdges(leg);
    } else {
        uniteEdges(leg);
    }
    return *this;
}

Box_t::Edges_t Box_t::edges() const {
    const PackedOptional_t<double>& top = m_northEast.m_altitude;
    const PackedOptional_t<double>& bottom = m_southWest.m_altitude;
    const bool extent = top.present() && bottom.present();
    return {m_northEast.latitude(),
            m_southWest.latitude(),
            m_northEast.longitude(),
            m_southWest.longitude(),
            extent,
            extent ? top.get() : 0.0,
            extent ? bottom.get() : 0.0};
}

// The edges come from valid latitudes (two boxes' or two positions'), so they need no check.
void Box_t::setEdges(const Edges_t& edges) {
    m_northEast.m_latitude = edges.north;
    m_northEast.m_longitude = edges.east;
    m_southWest.m_latitude = edges.south;
    m_southWest.m_longitude = edges.west;
    if (edges.extent) {
        m_northEast.m_altitude = edges.top;
        m_southWest.m_altitude = edges.bottom;
    } else {
        m_northEast.m_altitude.reset();
        m_southWest.m_altitude.reset();
    }
}

// Appending a track point unites boxes twice, so this is on the hot path. Every edge of both boxes
// is read before any is written: `b` may be this box's own.
void Box_t::uniteEdges(const Edges_t& b) {
    const Edges_t a = edges();
    Edges_t united{};
    united.north = b.north > a.north ? b.north : a.north;
    united.south = b.south < a.south ? b.south : a.south;

    if (a.west <= a.east && b.west <= b.east && b.west <= a.east && a.west <= b.east) {
        // Overlapping spans, neither across the antimeridian (the common case by far): the general
        // rule below comes to the outermost edges.
        united.west = b.west < a.west ? b.west : a.west;
        united.east = b.east > a.east ? b.east : a.east;
    } else {
        const bool aHoldsB = spanContains(a.west, a.east, b.east) && spanContains(a.west, a.east, b.west);
        const bool bHoldsA = spanContains(b.west, b.east, a.east) && spanContains(b.west, b.east, a.west);
        if (aHoldsB && bHoldsA) {
            if (a.west == a.east && b.west == a.east && b.east == a.east) {
                united.east = united.west = a.east;
            } else if (a.west == b.west && a.east == b.east) {
                united.east = a.east;
                united.west = a.west;
            } else {
                united.east = kGlobeEast;
                united.west = kGlobeWest;
            }
        } else if (spanContains(a.west, a.east, b.east) || spanContains(a.west, a.east, b.west) ||
                   spanContains(b.west, b.east, a.east) || spanContains(b.west, b.east, a.west)) {
            const uint32_t spanA = longitudeDelta(a.east, a.west);
            united.west = longitudeDelta(a.east, b.west) > spanA ? b.west : a.west;
            united.east = longitudeDelta(b.east, a.west) > spanA ? b.east : a.east;
        } else if (longitudeDelta(b.west, a.east) < longitudeDelta(a.west, b.east)) {
            united.west = a.west;
            united.east = b.east;
        } else {
            united.west = b.west;
            united.east = a.east;
        }
    }

    if (a.extent && b.extent) {
        united.extent = true;
        united.top = b.top > a.top ? b.top : a.top;
        united.bottom = b.bottom < a.bottom ? b.bottom : a.bottom;
    } else if (a.extent || b.extent) {
        united = {united.north,
                  united.south,
                  united.east,
                  united.west,
                  true,
                  a.extent ? a.top : b.top,
                  a.extent ? a.bottom : b.bottom};
    }
    setEdges(united);
}

} // namespace geo
