// GPX 1.1.
#include "host/exports/Export.h"

#include "host/exports/DecimalText.h"
#include "host/exports/LinePositions.h"
#include "host/exports/NaturalTracks.h"
#include "host/exports/Palette.h"
#include "host/exports/TrackTable.h"
#include "host/text/Utf8Text.h"

namespace host {

namespace {

void gpxPoint(std::ostream& out, const char* element, const geo::Position_t& position,
              const glo::Optional_t<glo::Time_t>& time, const std::string& name, const char* indent) {
    out << indent << '<' << element << " lat=\"" << coordinateText(degrees(position.latitude()))
        << "\" lon=\"" << coordinateText(degrees(position.longitude())) << "\">";
    if (position.altitude().present())
        if (const auto elevation = elevationText(position.altitude().get()))
            out << "<ele>" << *elevation << "</ele>";
    if (time.present())
        out << "<time>" << isoTime(time.get()) << "</time>";
    if (!name.empty())
        out << "<name>" << name << "</name>";
    out << "</" << element << ">\n";
}

} // namespace

void writeGpx(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<gpx version=\"1.1\" creator=\"Pathlet\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (const auto& [id, waypoint] : database.waypoints())
        gpxPoint(out, "wpt", waypoint.position, {}, xmlEscape(toUtf8(id.name.str(), codePage)), "  ");
    for (const NamedRoute_t& named : routesInNaturalOrder(database, codePage)) {
        out << "  <rte><name>" << xmlEscape(named.name) << "</name>\n";
        for (const nav::RouteWaypoint_t& stop : named.route->routePoints)
            if (const geo::Position_t* position = stopPosition(database, stop))
                gpxPoint(out, "rtept", *position, {}, xmlEscape(toUtf8(stop.waypoint.name.str(), codePage)),
                         "    ");
        out << "  </rte>\n";
    }
    for (const NamedTrack_t& named : tracksInNaturalOrder(database, codePage)) {
        out << "  <trk><name>" << xmlEscape(named.name) << "</name>"
            << "<extensions><line xmlns=\"http://www.topografix.com/GPX/gpx_style/0/2\"><color>"
            << (paletteColour(named.track->color()) + 1) << "</color></line></extensions><trkseg>\n";
        named.track->forEachPoint(
            [&](const nav::TrackPoint_t& p) { gpxPoint(out, "trkpt", p.position, p.time, "", "    "); });
        out << "  </trkseg></trk>\n";
    }
    out << "</gpx>\n";
}

} // namespace host
