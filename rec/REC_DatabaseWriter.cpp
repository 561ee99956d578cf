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
    // The pairs are named in the lambdas rather than bound above them: a lambda may not capture a
    // structured binding before C++20's last revision, and the fuzz targets build with a clang that
    // holds to that.
    for (const auto& entry : database.waypoints())
        writeRecord(out, RecordType::Waypoint,
                    [&](auto& record) { writeWaypoint(record, entry.first, entry.second); });
    for (const auto& entry : database.routes())
        writeRecord(out, RecordType::Route,
                    [&](auto& record) { writeRoute(record, entry.first, entry.second); });
    for (const auto& entry : database.tracks())
        writeRecord(out, RecordType::Track,
                    [&](auto& record) { writeTrack(record, entry.first, entry.second); });
    for (const auto& entry : database.routeFlagList())
        writeRecord(out, RecordType::RouteFlag,
                    [&](auto& record) { writeRouteFlag(record, entry.first, entry.second); });
    for (const nav::LEntry_t& entry : database.recordSet())
        writeRecord(out, RecordType::LEntry, [&](auto& record) { writeLEntry(record, entry); });
    for (const auto& entry : database.nameFlagList())
        writeRecord(out, RecordType::NameFlag,
                    [&](auto& record) { writeNameFlag(record, entry.first, entry.second); });
    return out;
}

} // namespace rec
