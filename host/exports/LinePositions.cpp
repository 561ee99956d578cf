#include "host/exports/LinePositions.h"

#include <cmath>

namespace host {

std::vector<const geo::Position_t*> trackPositions(const nav::Track_t& track) {
    std::vector<const geo::Position_t*> positions;
    track.forEachPoint([&](const nav::TrackPoint_t& p) { positions.push_back(&p.position); });
    return positions;
}

std::vector<const geo::Position_t*> routePositions(const nav::Database_t& database,
                                                   const nav::Route_t& route) {
    std::vector<const geo::Position_t*> positions;
    for (const nav::RouteWaypoint_t& stop : route.routePoints)
        if (const geo::Position_t* position = stopPosition(database, stop))
            positions.push_back(position);
    return positions;
}

const geo::Position_t* stopPosition(const nav::Database_t& database, const nav::RouteWaypoint_t& stop) {
    auto found = database.waypoints().find(stop.waypoint);
    return found == database.waypoints().end() ? nullptr : &found->second.position;
}

bool everyElevationFinite(const std::vector<const geo::Position_t*>& positions) {
    for (const geo::Position_t* p : positions)
        if (!p->altitude().present() || !std::isfinite(p->altitude().get()))
            return false;
    return true;
}

} // namespace host
