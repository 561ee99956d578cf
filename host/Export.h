#ifndef HOST_EXPORT_H
#define HOST_EXPORT_H

#include "nav/NAV_Database.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace host {

// GPX 1.1: waypoints as wpt, routes as rte, each track as one trk with one trkseg.
void writeGpx(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// GeoJSON (RFC 7946): a FeatureCollection with a LineString per track (a Point for a one-point
// track), [lon, lat(, ele)] in degrees; waypoints as Points and routes as LineStrings.
void writeGeoJson(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// An SVG map of all tracks over their common box, in their colours, with a legend and a scale bar.
void writeSvg(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// Degrees with enough digits that the semicircle value can be recovered exactly.
std::string degreesText(int32_t semicircles);
// The shortest text that reads back as the same double.
std::string shortestText(double value);

} // namespace host

#endif
