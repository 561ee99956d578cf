#include "rec/REC_DatabaseWriter.h"

#include "bin/BIN_record.h"
#include "rec/REC_FileFormat.h"
#include "rec/REC_Records.h"

namespace rec {

namespace {

// Frames the record that `write` fills and sends it to `out`.
template <class Write> void writeRecord(bin::basic_ostream& out, RecordType type, Write&& write) {
    bin::record_t record(typeByte(type));
    write(record);
    out << record;
}

} // namespace

bin::basic_ostream& writeDatabase(const nav::Database_t& database, bin::basic_ostream& out) {
    for (const auto& [id, waypoint] : database.waypoints())
        writeRecord(out, RecordType::Waypoint, [&](auto& record) { writeWaypoint(record, id, waypoint); });
    for (const auto& [id, route] : database.routes())
        writeRecord(out, RecordType::Route, [&](auto& record) { writeRoute(record, id, route); });
    for (const auto& [id, track] : database.tracks())
        writeRecord(out, RecordType::Track, [&](auto& record) { writeTrack(record, id, track); });
    for (const auto& [id, flag] : database.routeFlagList())
        writeRecord(out, RecordType::RouteFlag, [&](auto& record) { writeRouteFlag(record, id, flag); });
    for (const nav::LEntry_t& entry : database.recordSet())
        writeRecord(out, RecordType::LEntry, [&](auto& record) { writeLEntry(record, entry); });
    for (const auto& [text, flag] : database.nameFlagList())
        writeRecord(out, RecordType::NameFlag, [&](auto& record) { writeNameFlag(record, text, flag); });
    return out;
}

} // namespace rec
