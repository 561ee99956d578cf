// CSV (RFC 4180, UTF-8): a row per track point.
#include "host/exports/DecimalText.h"
#include "host/exports/Export.h"
#include "host/exports/NaturalTracks.h"
#include "host/exports/TrackTable.h"

namespace host {

namespace {

// A field quoted when it holds a comma, a quote or a line break; its quotes doubled.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

std::size_t writeCsv(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    out << "track,track_index,point,latitude,longitude,elevation,time\r\n";
    std::size_t trackIndex = 0;
    for (const NamedTrack_t& named : tracksInNaturalOrder(database, codePage)) {
        const std::string track = csvField(named.name) + ',' + std::to_string(trackIndex++) + ',';
        std::size_t pointIndex = 0;
        named.track->forEachPoint([&](const nav::TrackPoint_t& p) {
            out << track << pointIndex++ << ',' << coordinateText(degrees(p.position.latitude())) << ','
                << coordinateText(degrees(p.position.longitude())) << ',';
            if (p.position.altitude().present())
                if (const auto elevation = elevationText(p.position.altitude().get()))
                    out << *elevation;
            out << ',';
            if (p.time.present())
                out << isoTime(p.time.get());
            out << "\r\n";
        });
    }
    return database.waypoints().size() + database.routes().size();
}

} // namespace host
