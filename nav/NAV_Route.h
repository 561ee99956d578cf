#ifndef NAV_NAV_ROUTE_H
#define NAV_NAV_ROUTE_H

#include "bin/BIN_stream.h"
#include "gdi/GDI_MetaFile.h"
#include "geo/GEO_Box.h"
#include "map/MAP_ScrnRect.h"
#include "nav/NAV_Identifiers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nav {

// Base of objects that cache a picture of themselves for a projection. Copies share the picture.
class Drawing_t {
public:
    virtual ~Drawing_t() = default;
    virtual void draw() const = 0;

    const gdi::MetaFilePtr_t& picture() const { return m_picture; }
    void setPicture(gdi::MetaFileHandle handle) {
        m_picture = handle ? gdi::MetaFilePtr_t(new gdi::MetaFile_t(handle)) : gdi::MetaFilePtr_t();
    }

protected:
    Drawing_t() = default;
    Drawing_t(const Drawing_t&) = default;
    Drawing_t& operator=(const Drawing_t&) = default;

private:
    [[maybe_unused]] bool m_flag = false;
    [[maybe_unused]] double m_scale = 2147483648.0;
    [[maybe_unused]] geo::Position_t m_reference;
    [[maybe_unused]] map::ScrnRect_t m_screen{0, 0, 0, 0};
    gdi::MetaFilePtr_t m_picture;
};

// The link from one stop of a route to the next.
struct RouteLink_t {
    std::string label;
    uint32_t valueA = 3; // 0..3
    uint32_t valueB = 0;
    uint32_t valueC = 0;
    uint16_t shortValue = 0;
    uint32_t valueD = 0; // 0..2
    std::vector<geo::Position_t> path;
    geo::Box_t box;
};

// One stop of a route: its waypoint, by full identifier, and the link onwards.
class RouteWaypoint_t final {
public:
    virtual void write(bin::basic_ostream& out) const;
    // Nothing changes unless the whole stop was read; `valueA` outside 0..3 or `valueD` outside
    // 0..2 sets failbit. `shortValue` is one byte in data of format version 100 and below.
    virtual void read(bin::basic_istream& in);

    WaypointId_t waypoint;
    RouteLink_t link;
};

// A route: its stops in travel order and a box around them.
class Route_t : public Drawing_t {
public:
    void draw() const override {}

    std::vector<RouteWaypoint_t> routePoints;
    geo::Box_t box;
};

} // namespace nav

#endif
