// GeoJSON (RFC 7946): the lines of tracks and routes, or the points of the tracks.
#include "host/exports/Antimeridian.h"
#include "host/exports/Export.h"
#include "host/exports/LinePositions.h"
#include "host/exports/NaturalTracks.h"
#include "host/exports/Palette.h"
#include "host/exports/TrackTable.h"
#include "host/text/JsonWriter.h"
#include "host/text/ShortestNumber.h"

#include <cmath>

namespace host {

namespace {

// Large documents leave the writer's text as they go.
constexpr std::size_t kDrainSize = 1 << 16;

void coordinates(JsonWriter& json, const LinePoint_t& p, bool withElevations) {
    json.beginArray().number(p.longitude).number(p.latitude);
    if (withElevations)
        json.shortestNumber(p.elevation);
    json.endArray();
}

void part(JsonWriter& json, const LinePart_t& points, bool withElevations, std::ostream& out) {
    json.beginArray();
    for (const LinePoint_t& p : points) {
        coordinates(json, p, withElevations);
        if (json.text().size() > kDrainSize)
            json.drainTo(out);
    }
    // A one-point track is a line from its point to itself.
    if (points.size() == 1)
        coordinates(json, points.front(), withElevations);
    json.endArray();
}

// A LineString, or a MultiLineString when the line crosses the antimeridian; null without points.
void geometry(JsonWriter& json, const std::vector<const geo::Position_t*>& positions, std::ostream& out) {
    const bool withElevations = everyElevationFinite(positions);
    const std::vector<LinePart_t> parts = cutAtAntimeridian(positions, withElevations);
    if (parts.empty()) {
        json.null();
        return;
    }
    if (parts.size() == 1) {
        json.beginObject().key("type").string("LineString").key("coordinates");
        part(json, parts.front(), withElevations, out);
        json.endObject();
        return;
    }
    json.beginObject().key("type").string("MultiLineString").key("coordinates").beginArray();
    for (const LinePart_t& points : parts)
        part(json, points, withElevations, out);
    json.endArray().endObject();
}

// A property's number that GIS tools type as a real, whole or not: "100.0", not "100" (which
// would make a layer of whole elevations an integer field).
std::string realText(double value) {
    std::string text = shortestText(value);
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

} // namespace

std::size_t writeGeoJson(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    JsonWriter json;
    json.beginObject().key("type").string("FeatureCollection").key("features").beginArray(true);
    for (const NamedRoute_t& named : routesInNaturalOrder(database, codePage)) {
        json.beginObject().key("type").string("Feature").key("geometry");
        geometry(json, routePositions(database, *named.route), out);
        json.key("properties").beginObject().key("kind").string("route");
        json.key("name").string(named.name).endObject().endObject();
    }
    for (const NamedTrack_t& named : tracksInNaturalOrder(database, codePage)) {
        const nav::Track_t& track = *named.track;
        json.beginObject().key("type").string("Feature").key("geometry");
        geometry(json, trackPositions(track), out);
        const nav::TrackSummary_t& summary = track.summary();
        json.key("properties").beginObject().key("kind").string("track");
        json.key("name").string(named.name);
        json.key("color").integer(track.color()).key("colour").string(paletteColour(track.color()));
        json.key("points").integer(summary.pointCount);
        if (summary.firstPoint.present() && summary.firstPoint.get().time.present())
            json.key("start_time").string(isoTime(summary.firstPoint.get().time.get()));
        if (summary.lastPoint.present() && summary.lastPoint.get().time.present())
            json.key("end_time").string(isoTime(summary.lastPoint.get().time.get()));
        json.key("times").beginArray();
        track.forEachPoint([&](const nav::TrackPoint_t& p) {
            json.string(p.time.present() ? isoTime(p.time.get()) : std::string());
        });
        json.endArray().endObject().endObject();
        json.drainTo(out);
    }
    json.endArray().endObject();
    json.drainTo(out);
    out << "\n";
    return database.waypoints().size();
}

std::size_t writeGeoJsonPoints(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    JsonWriter json;
    json.beginObject().key("type").string("FeatureCollection").key("features").beginArray(true);
    int64_t trackIndex = 0;
    for (const NamedTrack_t& named : tracksInNaturalOrder(database, codePage)) {
        int64_t pointIndex = 0;
        named.track->forEachPoint([&](const nav::TrackPoint_t& p) {
            json.beginObject().key("type").string("Feature").key("geometry");
            json.beginObject().key("type").string("Point").key("coordinates");
            json.beginArray().number(degrees(p.position.longitude())).number(degrees(p.position.latitude()));
            json.endArray().endObject();
            json.key("properties").beginObject().key("track").string(named.name);
            json.key("track_index").integer(trackIndex).key("point").integer(pointIndex++);
            if (p.time.present())
                json.key("time").string(isoTime(p.time.get()));
            if (p.position.altitude().present() && std::isfinite(p.position.altitude().get()))
                json.key("elevation").rawNumber(realText(p.position.altitude().get()));
            json.endObject().endObject();
            if (json.text().size() > kDrainSize)
                json.drainTo(out);
        });
        ++trackIndex;
    }
    json.endArray().endObject();
    json.drainTo(out);
    out << "\n";
    return database.waypoints().size() + database.routes().size();
}

} // namespace host
