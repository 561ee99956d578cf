#include "app/TrackLogDecoder.h"

#include "app/TrackRecord.h"
#include "bin/BIN_endian.h"
#include "iog/IOG_Color108.h"

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

// The point entry at `offset` of `record` (whose latitude is there), if the record holds it whole.
bool decodePoint(const HandheldRecord_t& record, uint64_t offset, uint8_t flags, nav::TrackPoint_t& point) {
    geo::Position_t position;
    position.setLatitude(bin::loadI32(record.bytes + offset)); // raises beyond the poles
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
                glo::Time_t time = glo::Time_t::trackTimeEpoch();
                time.addSeconds(static_cast<double>(seconds));
                point.time = time;
            }
        } else if (flag == kPointHasAltitude) {
            position.setAltitude(static_cast<double>(bin::loadFloat(field)));
        } else {
            point.auxiliary = static_cast<double>(bin::loadFloat(field));
        }
    }
    point.position = position;
    return true;
}

} // namespace

DecodedLog_t decodeTrackLog(RecordSource_t& source, const HandheldRecord_t& first, uint32_t index,
                            uint64_t pointsBefore) {
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
    const auto code = id.str() == kActiveLog ? iog::Color108_t::ActiveLog
                                             : static_cast<iog::Color108_t::Color_t>(header.colorCode);
    nav::Track_t track;
    track.setColor(iog::toNavColor(code));
    const auto completeSegment = [&] {
        if (track.summary().pointCount == 0)
            return;
        const nav::Color_t color = track.color();
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
    for (uint32_t j = 0; j < header.pointCount; ++j) {
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
            record = source.readRecord(static_cast<uint16_t>(index));
        }
        if (offset + 4 > record.size) {
            log.end = LogEnd_t::CutShort;
            break;
        }
        if (startsSegment(bin::loadI32(record.bytes + offset)))
            completeSegment();
        if (pointsBefore + log.points >= source.bytesRead() / kLeastPointBytes) {
            log.end = LogEnd_t::PastBound;
            break;
        }
        nav::TrackPoint_t point;
        if (!decodePoint(record, offset, header.pointFlags, point)) {
            log.end = LogEnd_t::CutShort;
            break;
        }
        track.appendPoint(point);
        ++log.points;
        offset += header.pointStride;
    }
    completeSegment();
    log.nextRecord = index + 1;
    return log;
}

} // namespace app
