#include "app/PalmDatabase.h"

#include "app/AppErrors.h"
#include "app/LogFailure.h"
#include "app/MessageBox.h"
#include "bin/BIN_endian.h"
#include "glo/GLO_CodePage.h"
#include "glo/GLO_Identity.h"
#include "plm/PLM_Platform.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace app {

namespace {

constexpr const char* kSource = "PalmDatabase.cpp";
constexpr const char* kTrackDatabase = glo::TrackDatabaseName;
constexpr uint8_t kOpenReadSecret = 0x90;

// Whether `text` is text of the code page the names are compared in.
bool isText(const std::string& text) {
    const glo::CodePage_t& page = glo::CodePage_t::current();
    for (std::size_t at = 0; at < text.size();) {
        const int length = page.charLength(text.c_str() + at, text.size() - at);
        if (length <= 0)
            return false;
        at += static_cast<std::size_t>(length);
    }
    return true;
}

// A comparison of track `failing`'s name with those already in the table found one that is not
// text: its own, or else the first before it.
FailurePlace_t placeOfBadName(const DecodedTracks_t& tracks, const std::vector<uint32_t>& logRecords,
                              std::size_t failing) {
    std::optional<std::size_t> bad;
    if (!isText(tracks[failing].first.str()))
        bad = failing;
    for (std::size_t at = 0; !bad && at < failing; ++at)
        if (!isText(tracks[at].first.str()))
            bad = at;
    if (!bad || *bad >= logRecords.size())
        return std::nullopt;
    HandheldPlace_t place;
    place.trackLog = tracks[*bad].first.str();
    place.logRecord = place.record = logRecords[*bad];
    place.field = RefusedField_t::NameText;
    return place;
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

HandheldRecord_t PalmDatabase_t::readRecord(uint16_t index) {
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
    // The size comes from the host; never trust it beyond the buffer.
    const uint32_t size = m_block.size < plm::kRecordCapacity ? m_block.size : plm::kRecordCapacity;
    m_bytesRead += size;
    return {bytes, size, plm::syncManager().handheldToHostWord(bin::loadU16(bytes)) == 0};
}

DecodedTracks_t PalmDatabase_t::readTracks(FailurePlace_t* failedAt) {
    uint16_t count = 0;
    if (const int32_t code = plm::syncManager().recordCount(m_handle, &count))
        throw ConError_t(code, kSource, 111);
    m_recordCount = count;
    m_logRecords.clear();

    DecodedTracks_t result;
    uint64_t points = 0;
    for (uint32_t index = 0; index < count;) {
        HandheldRecord_t first;
        try {
            first = readRecord(static_cast<uint16_t>(index));
        } catch (...) {
            // The record that would start a log could not be read; rethrown as it came.
            if (failedAt) {
                *failedAt = HandheldPlace_t();
                (*failedAt)->logRecord = (*failedAt)->record = index;
            }
            throw;
        }
        if (first.firstWordZero || first.size < 2)
            break;
        DecodedLog_t log = decodeTrackLog(*this, first, index, points, failedAt);
        if (log.end == LogEnd_t::NoHeader || log.end == LogEnd_t::NoName)
            break;
        for (auto& track : log.tracks) {
            result.push_back(std::move(track));
            m_logRecords.push_back(index);
        }
        points += log.points;
        if (log.end == LogEnd_t::PastBound) {
            const std::string line = "The track logs claim more points than " + std::to_string(m_bytesRead) +
                                     " bytes of records can hold; decoding stopped after " +
                                     std::to_string(points) + " points";
            plm::hotSyncLog().logEntry(line.c_str(), kLogText, 0);
            break;
        }
        index = log.nextRecord;
    }
    return result;
}

void importTracks(nav::Database_t& database, FailurePlace_t* failedAt) {
    PalmDatabase_t handheld;
    DecodedTracks_t tracks = handheld.readTracks(failedAt);
    for (std::size_t at = 0; at < tracks.size(); ++at) {
        auto& [id, track] = tracks[at];
        nav::TrackId_t unique = id;
        try {
            if (database.tracks().count(unique))
                database.makeUniqueTrackId(unique);
            database.insertTrack(unique, std::move(track));
        } catch (const nav::KeyExists_t& e) {
            showMessageBox(e.what(), 0);
        } catch (const glo::InvalidMBCharacter_t&) {
            // Names are first compared here, where the table orders them; the run ends as it
            // always did, and the place names the log whose name is not text.
            if (failedAt)
                *failedAt = placeOfBadName(tracks, handheld.logRecords(), at);
            throw;
        }
    }
    database.endTransaction();
}

} // namespace app
