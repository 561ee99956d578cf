#ifndef HOST_EXPORTS_ANTIMERIDIAN_H
#define HOST_EXPORTS_ANTIMERIDIAN_H

// A line in degrees as map formats want it: longitudes in -180..180, cut where it crosses the
// antimeridian (RFC 7946 section 3.1.9) so that no tool draws it across the whole world.

#include "geo/GEO_Position.h"

#include <vector>

namespace host {

struct LinePoint_t {
    double longitude = 0; // degrees east, -180..180
    double latitude = 0;  // degrees north
    double elevation = 0; // meaningful only when every point of the line has one
};

// A stretch of line on one side of the antimeridian: two points or more.
using LinePart_t = std::vector<LinePoint_t>;

// The line through `positions`, in order. Each leg goes the shorter way round, as boxes and the
// map take it (modular longitudes); a leg that crosses the antimeridian ends its part at the
// latitude (and elevation, when `withElevations`) interpolated at 180 degrees, and the next part
// starts there on the other side. A point on the antimeridian is written on the side of the part
// it belongs to (180 or -180). A line that does not cross is one part whose numbers are exactly
// the points' own; a single point is one part of one point; none gives none.
std::vector<LinePart_t> cutAtAntimeridian(const std::vector<const geo::Position_t*>& positions,
                                          bool withElevations);

} // namespace host

#endif
