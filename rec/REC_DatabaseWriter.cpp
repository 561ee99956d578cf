#include "rec/REC_DatabaseWriter.h"

#include "bin/BIN_record.h"
#include "rec/REC_FileFormat.h"
#include "rec/REC_Records.h"

#include "nav/NAV_Serialise.h"

#include <cstdint>
#include <limits>
#include <string_view>

namespace rec {

namespace {

// Frames the record that `write` fills and sends it to `out`.
template <class Write> void writeRecord(bin::basic_ostream& out, RecordType type, Write&& write) {
    bin::record_t record(typeByte(type));
    write(record);
    out << record;
}

// A track's payload is mostly its points, whose size is known before they are written: the frame
// goes out first and the points follow straight from the track, without building the record in
// memory. A payload too large for the frame's length is built as any other record, which refuses it.
void writeTrackRecord(bin::basic_ostream& out, const nav::TrackId_t& id, const nav::Track_t& track) {
    bin::basic_stringstream head;
    writeTrackHead(head, id, track);
    const std::string_view headBytes = head.view();
    const uint64_t size = headBytes.size() + uint64_t{track.points().size()} * nav::kTrackPointSize;
    if (size > std::numeric_limits<uint32_t>::max()) {
        writeRecord(out, RecordType::Track, [&](auto& record) { writeTrack(record, id, track); });
        return;
    }
    out << static_cast<uint32_t>(size) << typeByte(RecordType::Track);
    out.write(headBytes.data(), headBytes.size());
    nav::writeTrackPoints(out, track.points());
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
        writeTrackRecord(out, entry.first, entry.second);
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
