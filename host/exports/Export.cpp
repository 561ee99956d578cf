#include "host/exports/Export.h"

#include "host/exports/Palette.h"
#include "host/exports/TrackTable.h"
#include "host/text/JsonWriter.h"
#include "host/text/Utf8Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace host {

namespace {

// Where a route stop lies: its waypoint's position, when the waypoint is in the table.
const geo::Position_t* stopPosition(const nav::Database_t& database, const nav::RouteWaypoint_t& stop) {
    auto found = database.waypoints().find(stop.waypoint);
    return found == database.waypoints().end() ? nullptr : &found->second.position;
}

bool finiteAltitude(const geo::Position_t& position) {
    return position.altitude().present() && std::isfinite(position.altitude().get());
}

// GPX's numbers are XML Schema decimals: no exponent, and validators take 24 digits. The shortest
// text that reads back exactly fits for every coordinate; an elevation that does not is rounded
// to 24 digits, or has no decimal at all (none when it is not finite or 1e24 or more).
constexpr int kDecimalDigits = 24;

std::optional<std::string> decimalText(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e24)
        return std::nullopt;
    char text[400];
    const auto exact = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    std::string result(text, exact.ptr);
    const auto digits =
        std::count_if(result.begin(), result.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits <= kDecimalDigits)
        return result;
    const int whole =
        std::fabs(value) < 1 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    const auto rounded = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                       std::max(0, kDecimalDigits - whole));
    result.assign(text, rounded.ptr);
    if (result.find('.') != std::string::npos) {
        while (result.back() == '0')
            result.pop_back();
        if (result.back() == '.')
            result.pop_back();
    }
    return result;
}

void gpxPoint(std::ostream& out, const char* element, const geo::Position_t& position,
              const glo::Optional_t<glo::Time_t>& time, const std::string& name, const char* indent) {
    out << indent << '<' << element << " lat=\"" << *decimalText(degrees(position.latitude())) << "\" lon=\""
        << *decimalText(degrees(position.longitude())) << "\">";
    if (position.altitude().present())
        if (const auto elevation = decimalText(position.altitude().get()))
            out << "<ele>" << *elevation << "</ele>";
    if (time.present())
        out << "<time>" << isoTime(time.get()) << "</time>";
    if (!name.empty())
        out << "<name>" << name << "</name>";
    out << "</" << element << ">\n";
}

void position(JsonWriter& json, const geo::Position_t& p, bool withAltitude) {
    json.beginArray().number(degrees(p.longitude())).number(degrees(p.latitude()));
    if (withAltitude)
        json.number(p.altitude().get());
    json.endArray();
}

void lineString(JsonWriter& json, const std::vector<const geo::Position_t*>& positions, std::ostream& out) {
    bool allAltitudes = true;
    for (const geo::Position_t* p : positions)
        allAltitudes &= finiteAltitude(*p);
    json.beginObject().key("type").string("LineString").key("coordinates").beginArray();
    for (const geo::Position_t* p : positions) {
        position(json, *p, allAltitudes);
        if (json.text().size() > (1 << 16))
            json.drainTo(out);
    }
    if (positions.size() == 1)
        position(json, *positions[0], allAltitudes);
    json.endArray().endObject();
}

} // namespace

void writeGpx(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<gpx version=\"1.1\" creator=\"Pathlet\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (const auto& [id, waypoint] : database.waypoints())
        gpxPoint(out, "wpt", waypoint.position, {}, xmlEscape(toUtf8(id.name.str(), codePage)), "  ");
    for (const auto& [id, route] : database.routes()) {
        out << "  <rte><name>" << xmlEscape(toUtf8(id.name().str(), codePage)) << "</name>\n";
        for (const nav::RouteWaypoint_t& stop : route.routePoints)
            if (const geo::Position_t* position = stopPosition(database, stop))
                gpxPoint(out, "rtept", *position, {}, xmlEscape(toUtf8(stop.waypoint.name.str(), codePage)),
                         "    ");
        out << "  </rte>\n";
    }
    for (const auto& [id, track] : database.tracks()) {
        out << "  <trk><name>" << xmlEscape(toUtf8(id.str(), codePage)) << "</name>"
            << "<extensions><line xmlns=\"http://www.topografix.com/GPX/gpx_style/0/2\"><color>"
            << (paletteColour(track.color()) + 1) << "</color></line></extensions><trkseg>\n";
        track.forEachPoint(
            [&](const nav::TrackPoint_t& p) { gpxPoint(out, "trkpt", p.position, p.time, "", "    "); });
        out << "  </trkseg></trk>\n";
    }
    out << "</gpx>\n";
}

std::size_t writeGeoJson(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    JsonWriter json;
    json.beginObject().key("type").string("FeatureCollection").key("features").beginArray(true);
    for (const auto& [id, route] : database.routes()) {
        std::vector<const geo::Position_t*> positions;
        for (const nav::RouteWaypoint_t& stop : route.routePoints)
            if (const geo::Position_t* position = stopPosition(database, stop))
                positions.push_back(position);
        json.beginObject().key("type").string("Feature").key("geometry");
        if (positions.empty())
            json.null();
        else
            lineString(json, positions, out);
        json.key("properties").beginObject().key("kind").string("route");
        json.key("name").string(toUtf8(id.name().str(), codePage)).endObject().endObject();
    }
    for (const auto& [id, track] : database.tracks()) {
        std::vector<const geo::Position_t*> positions;
        std::vector<const nav::TrackPoint_t*> points;
        track.forEachPoint([&](const nav::TrackPoint_t& p) {
            positions.push_back(&p.position);
            points.push_back(&p);
        });
        json.beginObject().key("type").string("Feature").key("geometry");
        if (positions.empty())
            json.null();
        else
            lineString(json, positions, out);
        const nav::TrackSummary_t& summary = track.summary();
        json.key("properties").beginObject().key("kind").string("track");
        json.key("name").string(toUtf8(id.str(), codePage));
        json.key("color").integer(track.color()).key("colour").string(paletteColour(track.color()));
        json.key("points").integer(summary.pointCount);
        if (summary.firstPoint.present() && summary.firstPoint.get().time.present())
            json.key("start_time").string(isoTime(summary.firstPoint.get().time.get()));
        if (summary.lastPoint.present() && summary.lastPoint.get().time.present())
            json.key("end_time").string(isoTime(summary.lastPoint.get().time.get()));
        json.key("times").beginArray();
        for (const nav::TrackPoint_t* p : points)
            json.string(p->time.present() ? isoTime(p->time.get()) : std::string());
        json.endArray().endObject().endObject();
        json.drainTo(out);
    }
    json.endArray().endObject();
    json.drainTo(out);
    out << "\n";
    return database.waypoints().size();
}

} // namespace host
