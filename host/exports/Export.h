#ifndef HOST_EXPORTS_EXPORT_H
#define HOST_EXPORTS_EXPORT_H

#include "nav/NAV_Database.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace host {

// GPX 1.1: waypoints as wpt, routes as rte, each track as one trk with one trkseg. A track's
// colour is a gpx_style line colour in the trk's extensions. Numbers are decimals as the GPX
// schema has them; an elevation no decimal holds (not a number, infinite, 1e24 or more) is left
// out, one with more than 24 digits rounded to 24.
void writeGpx(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// GeoJSON (RFC 7946), one geometry type in the collection so that GIS tools see one typed layer:
// every track and route is a LineString of [lon, lat(, ele)] in degrees; a one-point track is a
// line from its point to itself ("points": 1 says so). A line has elevations only when every point
// has a finite one. Properties: kind, name, color (database colour), colour (#rrggbb), points,
// start_time and end_time, and times: the points' times in order, "" for a point without one (a
// list of texts, which GDAL reads as a StringList). Waypoints are points and are left out: GPX has
// them. Returns how many were left out.
std::size_t writeGeoJson(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// An SVG map of all tracks over their common box, in their colours, with a legend and a scale bar.
void writeSvg(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

} // namespace host

#endif
