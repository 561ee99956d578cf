#ifndef APP_PALMDATABASE_H
#define APP_PALMDATABASE_H

#include "app/TrackLogDecoder.h"
#include "glo/GLO_NonCopyable.h"
#include "nav/NAV_Database.h"
#include "plm/PLM_RecordBlock.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace app {

// The handheld's track database "TrackDB", open for reading while this object lives.
class PalmDatabase_t : private glo::NonCopyable_t, public RecordSource_t {
public:
    // Opens "TrackDB" and reads its record count.
    // @exception ConError_t (line 64) when it cannot be opened, (line 65) when the count fails.
    PalmDatabase_t();
    ~PalmDatabase_t() override;

    // Reads record `index` into the database's one buffer; valid until the next read.
    // @exception ConError_t (line 93) when the read fails.
    HandheldRecord_t readRecord(uint16_t index) override;
    uint32_t recordCount() const override { return m_recordCount; }
    uint64_t bytesRead() const override { return m_bytesRead; }

    // Decodes every track log, in record order. A record whose first word is zero where a log
    // would start, a record too short for a header and a log without a name end the logs; the
    // tracks completed so far are the result. Decoding also stops, with a text line in the HotSync
    // log, once the points would exceed what the records read could hold (kLeastPointBytes).
    // @exception ConError_t (line 111) when the record count fails; whatever decodeTrackLog raises.
    // When an exception leaves, `failedAt` (if given) receives where it arose.
    DecodedTracks_t readTracks(FailurePlace_t* failedAt = nullptr);
    // The first record of the log each track of the last readTracks came from, in its order.
    const std::vector<uint32_t>& logRecords() const { return m_logRecords; }

private:
    uint8_t m_handle = 0;
    uint16_t m_recordCount = 0;
    uint64_t m_bytesRead = 0;
    plm::RecordBlock_t m_block{};
    std::unique_ptr<char[]> m_buffer;
    std::vector<uint32_t> m_logRecords;
};

// Reads the handheld's tracks into the database, making duplicate names unique, and ends the
// database's transaction. A track that still cannot be inserted is reported in a message box.
// When an exception leaves, `failedAt` (if given) receives where in the handheld it arose.
void importTracks(nav::Database_t& database, FailurePlace_t* failedAt = nullptr);

} // namespace app

#endif
