#include "app/TrackLogDecoder.h"

#include "app/TrackRecord.h"
#include "bin/BIN_endian.h"
#include "iog/IOG_Color108.h"

#include <cstdint>
#include <string>

namespace app {

namespace {

constexpr const char* kActiveLog = "ACTIVE LOG";

// The name runs to its zero byte or to the end of the record.
std::string nameOf(const HandheldRecord_t& record, uint64_t offset) {
    std::string name;
    for (uint64_t at = offset; at < record.size && record.bytes[at] != 0; ++at)
        name.push_back(static_cast<char>(record.bytes[at]));
    return name;
}

// Names the value about to be checked, so that a failure can say which one it refused.
void checking(HandheldPlace_t& at, RefusedField_t field, int64_t raw) {
    at.field = field;
    at.raw = raw;
}

// A point's time: the handheld's seconds added to its epoch. Below 2038 the sum is plain; the
// addition's own checks take the rest, so that a time too late fails as it always did.
glo::Time_t pointTime(const glo::Time_t& epoch, uint32_t seconds) {
    if (seconds <= static_cast<uint32_t>(INT32_MAX - epoch.seconds()))
        return glo::Time_t(epoch.seconds() + static_cast<int32_t>(seconds));
    glo::Time_t time = epoch;
    time.addSeconds(static_cast<double>(seconds));
    return time;
}

// The point entry at `offset` of `record` (whose latitude is there), if the record holds it whole.
// `at` names each value while it is checked and is left naming the last one.
bool decodePoint(const HandheldRecord_t& record, uint64_t offset, uint8_t flags, const glo::Time_t& epoch,
                 nav::TrackPoint_t& point, HandheldPlace_t& at) {
    // Written in place, field by field: a position built aside and copied in would be read back
    // whole before its parts were stored, which stalls every point.
    geo::Position_t& position = point.position;
    const int32_t latitude = bin::loadI32(record.bytes + offset);
    checking(at, RefusedField_t::Latitude, latitude);
    position.setLatitude(latitude); // raises beyond the poles
    if (offset + 8 > record.size)
        return false;
    position.setLongitude(bin::loadI32(record.bytes + offset + 4));
    uint64_t cursor = offset + 8;
    for (const uint8_t flag : {kPointHasTime, kPointHasAltitude, kPointHasAuxiliary}) {
        if (!(flags & flag))
            continue;
        if (cursor + 4 > record.size)
            return false;
        const unsigned char* field = record.bytes + cursor;
        cursor += 4;
        if (flag == kPointHasTime) {
            if (const uint32_t seconds = bin::loadU32(field); !isAbsentTime(seconds)) {
                checking(at, RefusedField_t::Time, seconds);
                point.time = pointTime(epoch, seconds);
            }
        } else if (flag == kPointHasAltitude) {
            position.setAltitude(static_cast<double>(bin::loadFloat(field)));
        } else {
            point.auxiliary = static_cast<double>(bin::loadFloat(field));
        }
    }
    return true;
}

// The decoder proper; `at` follows it (log, record, point, value being checked) so that
// decodeTrackLog can hand the place out when an exception leaves.
DecodedLog_t decodeLog(RecordSource_t& source, const HandheldRecord_t& first, uint32_t index,
                       uint64_t pointsBefore, HandheldPlace_t& at) {
    DecodedLog_t log;
    if (first.size < TrackRecordHeader_t::kSize) {
        log.end = LogEnd_t::NoHeader;
        return log;
    }
    const TrackRecordHeader_t header = TrackRecordHeader_t::decode(first.bytes);
    const std::string name = nameOf(first, header.nameOffset);
    if (name.empty()) {
        log.end = LogEnd_t::NoName;
        return log;
    }
    const nav::TrackId_t id{nav::Name_t(name)};
    at.trackLog = id.str();
    const auto code = id.str() == kActiveLog ? iog::Color108_t::ActiveLog
                                             : static_cast<iog::Color108_t::Color_t>(header.colorCode);
    nav::Track_t track;
    checking(at, RefusedField_t::ColourCode, code);
    track.setColor(iog::toNavColor(code));
    at.field = RefusedField_t::None;
    // The header's count sizes the first track's array; a log cut short or split into segments
    // gives back what it did not use. Later segments grow as their points come.
    track.reservePoints(header.pointCount);
    const auto completeSegment = [&] {
        if (track.summary().pointCount == 0)
            return;
        const nav::Color_t color = track.color();
        track.releaseSpareRoom();
        log.tracks.emplace_back(id, std::move(track));
        track = nav::Track_t();
        track.setColor(color);
    };

    // Point k lies in record index + k / pointsPerRecord, at firstPointOffset plus
    // (k % pointsPerRecord) * pointStride in the first record and from offset 0 in the others. All
    // offsets are 64-bit, so no header value can make them wrap; the record index is 32-bit, so a
    // log needing a record past 65535 ends instead of wrapping to 0.
    HandheldRecord_t record = first;
    uint64_t boundary = header.pointsPerRecord;
    uint64_t offset = header.firstPointOffset;
    log.end = LogEnd_t::Complete;
    const glo::Time_t epoch = glo::Time_t::trackTimeEpoch();
    // The bound moves only when a record is read.
    uint64_t bound = source.bytesRead() / kLeastPointBytes;
    for (uint32_t j = 0; j < header.pointCount; ++j) {
        at.point = j;
        if (j == boundary) {
            ++index;
            boundary += header.pointsPerRecord;
            offset = 0;
            if (index >= source.recordCount()) {
                log.end = LogEnd_t::CutShort;
                break;
            }
            // A continuation record starts with point data, not a header: a zero first word is
            // just a latitude whose low half is zero.
            at.record = index;
            record = source.readRecord(static_cast<uint16_t>(index));
            bound = source.bytesRead() / kLeastPointBytes;
        }
        if (offset + 4 > record.size) {
            log.end = LogEnd_t::CutShort;
            break;
        }
        if (startsSegment(bin::loadI32(record.bytes + offset)))
            completeSegment();
        if (pointsBefore + log.points >= bound) {
            log.end = LogEnd_t::PastBound;
            break;
        }
        const bool whole = track.appendDecoded([&](nav::TrackPoint_t& point) {
            return decodePoint(record, offset, header.pointFlags, epoch, point, at);
        });
        at.field = RefusedField_t::None; // every value was taken
        if (!whole) {
            log.end = LogEnd_t::CutShort;
            break;
        }
        ++log.points;
        offset += header.pointStride;
    }
    at.point.reset();
    completeSegment();
    log.nextRecord = index + 1;
    return log;
}

} // namespace

DecodedLog_t decodeTrackLog(RecordSource_t& source, const HandheldRecord_t& first, uint32_t index,
                            uint64_t pointsBefore, FailurePlace_t* failedAt) {
    // The place lives in this frame and is handed out only when an exception passes: catching it
    // here and rethrowing the same object leaves the failure, its handlers and its log entries as
    // they were, and costs nothing per point. A cursor that the entry point read instead would
    // outlive the decoder and have to stay right for every other caller of it too.
    HandheldPlace_t at;
    at.logRecord = index;
    at.record = index;
    try {
        return decodeLog(source, first, index, pointsBefore, at);
    } catch (...) {
        if (failedAt) {
            if (at.field == RefusedField_t::Latitude)
                at.degrees = static_cast<double>(at.raw) * 180.0 / 2147483648.0;
            *failedAt = std::move(at);
        }
        throw;
    }
}

} // namespace app
