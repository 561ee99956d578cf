#include "bin/file/BIN_DatabaseWriter.h"

#include "bin/BIN_endian.h"
#include "bin/BIN_record.h"
#include "nav/NAV_Serialise.h"

namespace bin {

namespace {

constexpr std::size_t kPointSize = 31;

// Puts an optional double (presence byte, then the value or 0.0) at `out`.
unsigned char* putOptional(unsigned char* out, const glo::Optional_t<double>& value) {
    out[0] = value.present() ? 1 : 0;
    storeDouble(out + 1, value.present() ? value.get() : 0.0);
    return out + 9;
}

// A track point: i32 latitude, i32 longitude, altitude, time, auxiliary value; 31 bytes. The
// same bytes as the composite encodings, built in place: a track writes millions of them.
void encodePoint(unsigned char* out, const nav::TrackPoint_t& point) {
    storeU32(out, static_cast<uint32_t>(point.position.latitude()));
    storeU32(out + 4, static_cast<uint32_t>(point.position.longitude()));
    out = putOptional(out + 8, point.position.altitude());
    // An absent time is written as the current time, read afresh for each point.
    const glo::Time_t time = point.time.present() ? point.time.get() : glo::Time_t::now();
    out[0] = point.time.present() ? 1 : 0;
    storeU32(out + 1, static_cast<uint32_t>(time.seconds()));
    putOptional(out + 5, point.auxiliary);
}

} // namespace

void writeTrack(basic_ostream& out, const nav::Track_t& track) {
    out << track.displayFlag() << static_cast<uint32_t>(track.color())
        << static_cast<uint32_t>(track.summary().pointCount);
    // Points go to the stream in blocks of a few hundred.
    unsigned char block[kPointSize * 256];
    std::size_t used = 0;
    track.forEachPoint([&](const nav::TrackPoint_t& point) {
        encodePoint(block + used, point);
        used += kPointSize;
        if (used == sizeof block) {
            out.write(block, used);
            used = 0;
        }
    });
    out.write(block, used);
}

void writeWaypoint(basic_ostream& out, const nav::Waypoint_t& waypoint) {
    const int32_t realA = nav::roundedToInt32(waypoint.realA);
    nav::writePosition(out, waypoint.position);
    out << waypoint.textA;
    nav::writeOptional(out, waypoint.optionalA);
    out << waypoint.wordA << waypoint.wordB << waypoint.wordC << waypoint.textB << waypoint.textC
        << waypoint.textD << waypoint.byteA;
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
