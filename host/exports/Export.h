#ifndef HOST_EXPORTS_EXPORT_H
#define HOST_EXPORTS_EXPORT_H

#include "nav/NAV_Database.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace host {

// GPX 1.1: waypoints as wpt, routes as rte, each track as one trk with one trkseg, tracks and
// routes in natural order of their names. A track's colour is a gpx_style line colour in the
// trk's extensions. Numbers are decimals as the GPX schema has them (elevations the shortest
// decimals of the handheld's floats); an elevation no decimal holds (not a number, infinite, 1e24
// or more) is left out, one with more than 24 digits rounded to 24.
void writeGpx(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// GeoJSON (RFC 7946): every track and route is a LineString of [lon, lat(, ele)] in degrees,
// or a MultiLineString cut at the antimeridian when it crosses it; a one-point track is a line
// from its point to itself ("points": 1 says so). A line has elevations only when every point has
// a finite one. Properties: kind, name, color (database colour), colour (#rrggbb), points,
// start_time and end_time, and times: the points' times in order, "" for a point without one (a
// list of texts, which GDAL reads as a StringList). Tracks and routes in natural order of their
// names. Waypoints are points and are left out: GPX has them. Returns how many were left out.
std::size_t writeGeoJson(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// GeoJSON of the track points: a Point [lon, lat] per point, with the properties track (its
// name), track_index and point (from 0, tracks in natural order), time (ISO 8601 UTC) and
// elevation (a real), each left out when the point has none. Returns how many waypoints and
// routes were left out.
std::size_t writeGeoJsonPoints(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// KML 2.2: a Placemark per waypoint (Point), route and track (LineString, or a MultiGeometry of
// LineStrings cut at the antimeridian), tracks with a TimeSpan and their colour as a LineStyle.
void writeKml(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// CSV (RFC 4180: CRLF line ends, quotes where needed; UTF-8 without a byte order mark): a header,
// then a row per track point: track, track_index, point, latitude, longitude, elevation, time.
// Returns how many waypoints and routes were left out.
std::size_t writeCsv(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

} // namespace host

#endif
