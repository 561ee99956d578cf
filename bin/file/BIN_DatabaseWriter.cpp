#include "bin/file/BIN_DatabaseWriter.h"

#include "bin/BIN_record.h"
#include "nav/NAV_Serialise.h"

namespace bin {

namespace {

// A track point: i32 latitude, i32 longitude, altitude, time, auxiliary value; 31 bytes.
void writePoint(basic_ostream& out, const nav::TrackPoint_t& point) {
    out << point.position.latitude() << point.position.longitude();
    nav::writeOptional(out, point.position.altitude());
    nav::writeOptional(out, point.time);
    nav::writeOptional(out, point.auxiliary);
}

} // namespace

void writeTrack(basic_ostream& out, const nav::Track_t& track) {
    out << track.displayFlag() << static_cast<uint32_t>(track.color())
        << static_cast<uint32_t>(track.summary().pointCount);
    track.forEachPoint([&out](const nav::TrackPoint_t& point) { writePoint(out, point); });
}

void writeWaypoint(basic_ostream& out, const nav::Waypoint_t& waypoint) {
    const int32_t realA = nav::roundedToInt32(waypoint.realA);
    nav::writePosition(out, waypoint.position);
    out << waypoint.textA;
    nav::writeOptional(out, waypoint.optionalA);
    out << waypoint.wordA << waypoint.wordB << waypoint.wordC << waypoint.textB << waypoint.textC << waypoint.textD
        << waypoint.byteA;
    nav::writeOptional(out, waypoint.optionalB);
    out << waypoint.textE << waypoint.textF << realA << waypoint.textG;
}

void writeLEntry(basic_ostream& out, const nav::LEntry_t& entry) {
    out << entry.number1 << entry.number2 << entry.text1 << entry.text2 << entry.text3;
    for (uint32_t number : entry.numbers)
        out << number;
    out << uint32_t{0};
}

basic_ostream& writeDatabase(const nav::Database_t& database, basic_ostream& out) {
    for (const auto& [id, waypoint] : database.waypoints()) {
        record_t record('W');
        id.write(record);
        writeWaypoint(record, waypoint);
        out << record;
    }
    for (const auto& [id, route] : database.routes()) {
        record_t record('R');
        id.write(record);
        nav::writeBox(record, route.box);
        record << static_cast<uint32_t>(route.routePoints.size());
        for (const nav::RouteWaypoint_t& stop : route.routePoints)
            stop.write(record);
        out << record;
    }
    for (const auto& [id, track] : database.tracks()) {
        record_t record('T');
        id.name().write(record);
        writeTrack(record, track);
        out << record;
    }
    for (const auto& [id, flag] : database.routeFlagList()) {
        record_t record('0');
        id.write(record);
        record << flag;
        out << record;
    }
    for (const nav::LEntry_t& entry : database.recordSet()) {
        record_t record('L');
        writeLEntry(record, entry);
        out << record;
    }
    for (const auto& [text, flag] : database.nameFlagList()) {
        record_t record('V');
        record << text << flag;
        out << record;
    }
    return out;
}

} // namespace bin
