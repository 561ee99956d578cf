#include "app/PalmDatabase.h"

#include "app/AppErrors.h"
#include "app/MessageBox.h"
#include "app/TrackRecord.h"
#include "bin/BIN_endian.h"
#include "glo/GLO_Identity.h"
#include "iog/IOG_Color108.h"
#include "plm/PLM_Platform.h"

#include <cstring>

namespace app {

namespace {

constexpr const char* kSource = "PalmDatabase.cpp";
constexpr const char* kTrackDatabase = glo::TrackDatabaseName;
constexpr uint8_t kOpenReadSecret = 0x90;
constexpr const char* kActiveLog = "ACTIVE LOG";

// One track log being decoded: where its next point lies and the track built so far.
class LogDecoder {
public:
    LogDecoder(PalmDatabase_t& handheld, uint32_t& index, uint16_t recordCount, DecodedTracks_t& result)
        : m_handheld(handheld), m_index(index), m_recordCount(recordCount), m_result(result) {}

    // Decodes the log that starts in the current record. Returns false when decoding must stop.
    bool decode(const PalmDatabase_t::Record_t& first);

private:
    void decodePoints(const TrackRecordHeader_t& header, PalmDatabase_t::Record_t record);
    void complete() {
        if (m_track.summary().pointCount > 0)
            m_result.emplace_back(m_id, std::move(m_track));
    }

    PalmDatabase_t& m_handheld;
    uint32_t& m_index;
    uint16_t m_recordCount;
    DecodedTracks_t& m_result;
    nav::TrackId_t m_id;
    nav::Track_t m_track;
};

bool LogDecoder::decode(const PalmDatabase_t::Record_t& first) {
    if (first.size < TrackRecordHeader_t::kSize)
        return false;
    const TrackRecordHeader_t header = TrackRecordHeader_t::decode(first.bytes);

    // The name runs to its zero byte or to the end of the record.
    std::string name;
    for (uint64_t at = header.nameOffset; at + 1 <= first.size && first.bytes[at] != 0; ++at)
        name.push_back(static_cast<char>(first.bytes[at]));
    if (name.empty())
        return false;

    m_id = nav::TrackId_t(nav::Name_t(name));
    const auto code = m_id.str() == kActiveLog ? iog::Color108_t::ActiveLog
                                               : static_cast<iog::Color108_t::Color_t>(header.colorCode);
    m_track.setColor(iog::toNavColor(code));

    decodePoints(header, first);
    complete();
    return true;
}

// Point k of the log lies in record first + k / pointsPerRecord, at firstPointOffset plus
// (k % pointsPerRecord) * pointStride in the first record and from offset 0 in the others. All
// offsets are 64-bit, so no header value can make them wrap.
void LogDecoder::decodePoints(const TrackRecordHeader_t& header, PalmDatabase_t::Record_t record) {
    uint64_t boundary = header.pointsPerRecord;
    uint64_t offset = header.firstPointOffset;
    for (uint32_t j = 0; j < header.pointCount; ++j) {
        if (j == boundary) {
            ++m_index;
            boundary += header.pointsPerRecord;
            offset = 0;
            if (m_index >= m_recordCount)
                return;
            // A continuation record starts with point data, not a header: a zero first word is
            // just a latitude whose low half is zero.
            record = m_handheld.readRecord(static_cast<uint16_t>(m_index), false);
        }
        if (offset + 4 > record.size)
            return;
        const int32_t latitude = bin::loadI32(record.bytes + offset);
        if (startsSegment(latitude) && m_track.summary().pointCount > 0) {
            const nav::Color_t color = m_track.color();
            m_result.emplace_back(m_id, std::move(m_track));
            m_track = nav::Track_t();
            m_track.setColor(color);
        }
        geo::Position_t position;
        position.setLatitude(latitude); // raises for a latitude beyond the poles
        if (offset + 8 > record.size)
            return;
        position.setLongitude(bin::loadI32(record.bytes + offset + 4));

        uint64_t cursor = offset + 8;
        nav::TrackPoint_t point;
        for (const uint8_t flag : {kPointHasTime, kPointHasAltitude, kPointHasAuxiliary}) {
            if (!(header.pointFlags & flag))
                continue;
            if (cursor + 4 > record.size)
                return;
            const unsigned char* field = record.bytes + cursor;
            cursor += 4;
            if (flag == kPointHasTime) {
                const uint32_t seconds = bin::loadU32(field);
                if (!isAbsentTime(seconds)) {
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
        m_track.appendPoint(point);
        offset += header.pointStride;
    }
}

} // namespace

PalmDatabase_t::PalmDatabase_t() {
    plm::SyncManager_t& sync = plm::syncManager();
    if (const int32_t code = sync.openDatabase(kTrackDatabase, 0, &m_handle, kOpenReadSecret))
        throw ConError_t(code, kSource, 64);
    if (const int32_t code = sync.recordCount(m_handle, &m_recordCount)) {
        sync.closeDatabase(m_handle);
        throw ConError_t(code, kSource, 65);
    }
}

PalmDatabase_t::~PalmDatabase_t() {
    plm::syncManager().closeDatabase(m_handle);
}

PalmDatabase_t::Record_t PalmDatabase_t::readRecord(uint16_t index, bool firstOfLog) {
    // One buffer serves every read: nothing past a record's size is looked at, except the first
    // word of a record shorter than two bytes, which is cleared here.
    if (!m_buffer)
        m_buffer = std::make_unique<char[]>(plm::kRecordCapacity);
    m_buffer[0] = m_buffer[1] = 0;
    std::memset(&m_block, 0, sizeof m_block);
    m_block.databaseHandle = m_handle;
    m_block.index = index;
    m_block.capacity = plm::kRecordCapacity;
    m_block.buffer = m_buffer.get();
    if (const int32_t code = plm::syncManager().readRecordByIndex(&m_block))
        throw ConError_t(code, kSource, 93);
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer.get());
    if (firstOfLog && plm::syncManager().handheldToHostWord(bin::loadU16(bytes)) == 0)
        throw EmptyRecord_t(kSource, 96);
    // The size comes from the host; never trust it beyond the buffer.
    const uint32_t size = m_block.size < plm::kRecordCapacity ? m_block.size : plm::kRecordCapacity;
    return {bytes, size};
}

DecodedTracks_t PalmDatabase_t::readTracks() {
    uint16_t count = 0;
    if (const int32_t code = plm::syncManager().recordCount(m_handle, &count))
        throw ConError_t(code, kSource, 111);

    DecodedTracks_t result;
    try {
        // 32-bit, so that a log needing a record past index 65535 ends instead of wrapping to 0.
        for (uint32_t index = 0; index < count; ++index) {
            const Record_t first = readRecord(static_cast<uint16_t>(index));
            if (first.size < 2)
                break;
            LogDecoder log(*this, index, count, result);
            if (!log.decode(first))
                break;
        }
    } catch (const EmptyRecord_t&) {
    }
    return result;
}

void importTracks(nav::Database_t& database) {
    PalmDatabase_t handheld;
    DecodedTracks_t tracks = handheld.readTracks();
    for (auto& [id, track] : tracks) {
        nav::TrackId_t unique = id;
        try {
            if (database.tracks().count(unique))
                database.makeUniqueTrackId(unique);
            database.insertTrack(unique, std::move(track));
        } catch (const nav::KeyExists_t& e) {
            showMessageBox(e.what(), 0);
        }
    }
    database.endTransaction();
}

} // namespace app
