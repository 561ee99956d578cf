#include "Export.h"

#include "TrackTable.h"
#include "Utf8Text.h"

#include <charconv>
#include <cstdio>

namespace host {

std::string degreesText(int32_t semicircles) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10f", degrees(semicircles));
    return text;
}

std::string shortestText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

namespace {

// Where a route stop lies: its waypoint's position, when the waypoint is in the table.
const geo::Position_t* stopPosition(const nav::Database_t& database, const nav::RouteWaypoint_t& stop) {
    auto found = database.waypoints().find(stop.waypoint);
    return found == database.waypoints().end() ? nullptr : &found->second.position;
}

void gpxPoint(std::ostream& out, const char* element, const geo::Position_t& position,
              const glo::Optional_t<glo::Time_t>& time, const std::string& name, const char* indent) {
    out << indent << '<' << element << " lat=\"" << degreesText(position.latitude()) << "\" lon=\""
        << degreesText(position.longitude()) << "\">";
    if (position.altitude().present())
        out << "<ele>" << shortestText(position.altitude().get()) << "</ele>";
    if (time.present())
        out << "<time>" << isoTime(time.get()) << "</time>";
    if (!name.empty())
        out << "<name>" << name << "</name>";
    out << "</" << element << ">\n";
}

std::string jsonPosition(const geo::Position_t& position, bool withAltitude) {
    std::string text = "[" + degreesText(position.longitude()) + ", " + degreesText(position.latitude());
    if (withAltitude)
        text += ", " + shortestText(position.altitude().get());
    return text + "]";
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
        out << "  <trk><name>" << xmlEscape(toUtf8(id.str(), codePage)) << "</name><trkseg>\n";
        track.forEachPoint(
            [&](const nav::TrackPoint_t& p) { gpxPoint(out, "trkpt", p.position, p.time, "", "    "); });
        out << "  </trkseg></trk>\n";
    }
    out << "</gpx>\n";
}

void writeGeoJson(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    out << "{\"type\": \"FeatureCollection\", \"features\": [";
    const char* separator = "\n";
    auto feature = [&](const std::string& geometry, const std::string& properties) {
        out << separator << "  {\"type\": \"Feature\", \"geometry\": " << geometry << ", \"properties\": {"
            << properties << "}}";
        separator = ",\n";
    };
    for (const auto& [id, waypoint] : database.waypoints())
        feature("{\"type\": \"Point\", \"coordinates\": " +
                    jsonPosition(waypoint.position, waypoint.position.altitude().present()) + "}",
                "\"kind\": \"waypoint\", \"name\": " + jsonUtf8(toUtf8(id.name.str(), codePage)));
    for (const auto& [id, route] : database.routes()) {
        std::string coordinates;
        for (const nav::RouteWaypoint_t& stop : route.routePoints)
            if (const geo::Position_t* position = stopPosition(database, stop))
                coordinates += (coordinates.empty() ? "" : ", ") + jsonPosition(*position, false);
        feature("{\"type\": \"LineString\", \"coordinates\": [" + coordinates + "]}",
                "\"kind\": \"route\", \"name\": " + jsonUtf8(toUtf8(id.name().str(), codePage)));
    }
    for (const auto& [id, track] : database.tracks()) {
        // Elevations only when every point has one: a line's positions have one length.
        bool allAltitudes = true;
        track.forEachPoint(
            [&](const nav::TrackPoint_t& p) { allAltitudes &= p.position.altitude().present(); });
        std::string coordinates;
        std::string times;
        track.forEachPoint([&](const nav::TrackPoint_t& p) {
            coordinates += (coordinates.empty() ? "" : ", ") + jsonPosition(p.position, allAltitudes);
            times += std::string(times.empty() ? "" : ", ") +
                     (p.time.present() ? "\"" + isoTime(p.time.get()) + "\"" : "null");
        });
        const int32_t count = track.summary().pointCount;
        const std::string geometry =
            count == 0   ? "null"
            : count == 1 ? "{\"type\": \"Point\", \"coordinates\": " + coordinates + "}"
                         : "{\"type\": \"LineString\", \"coordinates\": [" + coordinates + "]}";
        feature(geometry, "\"kind\": \"track\", \"name\": " + jsonUtf8(toUtf8(id.str(), codePage)) +
                              ", \"color\": " + std::to_string(track.color()) + ", \"times\": [" + times +
                              "]");
    }
    out << "\n]}\n";
}

} // namespace host
