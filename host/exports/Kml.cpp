// KML 2.2: a Placemark per track in its colour, per route and per waypoint.
#include "host/exports/Antimeridian.h"
#include "host/exports/DecimalText.h"
#include "host/exports/Export.h"
#include "host/exports/LinePositions.h"
#include "host/exports/NaturalTracks.h"
#include "host/exports/Palette.h"
#include "host/exports/TrackTable.h"
#include "host/text/Utf8Text.h"

#include <set>
#include <string_view>

namespace host {

namespace {

// KML writes colours as aabbggrr; ours are #rrggbb.
std::string kmlColour(std::string_view rgb) {
    return "ff" + std::string(rgb.substr(5, 2)) + std::string(rgb.substr(3, 2)) +
           std::string(rgb.substr(1, 2));
}

std::string styleId(nav::Color_t color) {
    return "colour-" + std::to_string(static_cast<int>(color));
}

// Elevations only when every point has a decimal for one.
bool withElevations(const std::vector<const geo::Position_t*>& positions) {
    if (!everyElevationFinite(positions))
        return false;
    for (const geo::Position_t* p : positions)
        if (!elevationText(p->altitude().get()))
            return false;
    return true;
}

void tuple(std::ostream& out, const LinePoint_t& p, bool elevations) {
    out << coordinateText(p.longitude) << ',' << coordinateText(p.latitude);
    if (elevations)
        out << ',' << *elevationText(p.elevation);
}

void lineString(std::ostream& out, const LinePart_t& points, bool elevations) {
    out << "<LineString><tessellate>1</tessellate><coordinates>";
    const char* separator = "";
    for (const LinePoint_t& p : points) {
        out << separator;
        tuple(out, p, elevations);
        separator = "\n";
    }
    // A one-point track is a line from its point to itself.
    if (points.size() == 1) {
        out << separator;
        tuple(out, points.front(), elevations);
    }
    out << "</coordinates></LineString>";
}

// A LineString, or a MultiGeometry of them when the line crosses the antimeridian.
void geometry(std::ostream& out, const std::vector<const geo::Position_t*>& positions) {
    const bool elevations = withElevations(positions);
    const std::vector<LinePart_t> parts = cutAtAntimeridian(positions, elevations);
    if (parts.size() == 1) {
        lineString(out, parts.front(), elevations);
    } else if (parts.size() > 1) {
        out << "<MultiGeometry>";
        for (const LinePart_t& points : parts)
            lineString(out, points, elevations);
        out << "</MultiGeometry>";
    }
}

} // namespace

void writeKml(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document><name>Pathlet</name>\n";
    const std::vector<NamedTrack_t> tracks = tracksInNaturalOrder(database, codePage);
    std::set<nav::Color_t> colours;
    for (const NamedTrack_t& named : tracks)
        colours.insert(named.track->color());
    for (const nav::Color_t color : colours)
        out << "<Style id=\"" << styleId(color) << "\"><LineStyle><color>" << kmlColour(paletteColour(color))
            << "</color><width>3</width></LineStyle></Style>\n";
    for (const auto& [id, waypoint] : database.waypoints()) {
        const geo::Position_t& p = waypoint.position;
        out << "<Placemark><name>" << xmlEscape(toUtf8(id.name.str(), codePage))
            << "</name><Point><coordinates>" << coordinateText(degrees(p.longitude())) << ','
            << coordinateText(degrees(p.latitude()));
        if (p.altitude().present())
            if (const auto elevation = elevationText(p.altitude().get()))
                out << ',' << *elevation;
        out << "</coordinates></Point></Placemark>\n";
    }
    for (const NamedRoute_t& named : routesInNaturalOrder(database, codePage)) {
        out << "<Placemark><name>" << xmlEscape(named.name) << "</name>";
        geometry(out, routePositions(database, *named.route));
        out << "</Placemark>\n";
    }
    for (const NamedTrack_t& named : tracks) {
        const nav::TrackSummary_t& summary = named.track->summary();
        out << "<Placemark><name>" << xmlEscape(named.name) << "</name>";
        const bool begins = summary.firstPoint.present() && summary.firstPoint.get().time.present();
        const bool ends = summary.lastPoint.present() && summary.lastPoint.get().time.present();
        if (begins || ends) {
            out << "<TimeSpan>";
            if (begins)
                out << "<begin>" << isoTime(summary.firstPoint.get().time.get()) << "</begin>";
            if (ends)
                out << "<end>" << isoTime(summary.lastPoint.get().time.get()) << "</end>";
            out << "</TimeSpan>";
        }
        out << "<styleUrl>#" << styleId(named.track->color()) << "</styleUrl>";
        geometry(out, trackPositions(*named.track));
        out << "</Placemark>\n";
    }
    out << "</Document>\n</kml>\n";
}

} // namespace host
