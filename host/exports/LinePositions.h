#ifndef HOST_EXPORTS_LINEPOSITIONS_H
#define HOST_EXPORTS_LINEPOSITIONS_H

// The positions that make the lines of the exports: a track's points, a route's stops.

#include "nav/NAV_Database.h"

#include <vector>

namespace host {

std::vector<const geo::Position_t*> trackPositions(const nav::Track_t& track);

// The stops whose waypoint is in the database's table, in order.
std::vector<const geo::Position_t*> routePositions(const nav::Database_t& database,
                                                   const nav::Route_t& route);

// Where a route stop lies: its waypoint's position, when the waypoint is in the table.
const geo::Position_t* stopPosition(const nav::Database_t& database, const nav::RouteWaypoint_t& stop);

// A line has elevations only when every point has a finite one.
bool everyElevationFinite(const std::vector<const geo::Position_t*>& positions);

} // namespace host

#endif
