#ifndef APP_PALMDATABASE_H
#define APP_PALMDATABASE_H

#include "glo/GLO_NonCopyable.h"
#include "nav/NAV_Database.h"
#include "nav/NAV_Identifiers.h"
#include "nav/NAV_Track.h"
#include "plm/PLM_RecordBlock.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace app {

using DecodedTracks_t = std::vector<std::pair<nav::TrackId_t, nav::Track_t>>;

// The handheld's track database "TrackDB", open for reading while this object lives.
class PalmDatabase_t : private glo::NonCopyable_t {
public:
    // Opens "TrackDB" and reads its record count.
    // @exception ConError_t (line 64) when it cannot be opened, (line 65) when the count fails.
    PalmDatabase_t();
    virtual ~PalmDatabase_t();

    // A record read into the database's buffer; valid until the next read.
    struct Record_t {
        const unsigned char* bytes;
        uint32_t size;
    };
    // Reads record `index`. With `firstOfLog`, a record whose first word is zero is the end of
    // the logs. @exception ConError_t (line 93) when the read fails; EmptyRecord_t (line 96).
    Record_t readRecord(uint16_t index, bool firstOfLog = true);

    // Decodes every track log, splitting logs at new-segment points. An empty first record ends
    // the decoding with the tracks completed so far.
    // @exception ConError_t (line 111) when the record count fails; glo::OutOfRange_t for a
    // latitude out of range, a colour code without a database colour, or a time past 2038.
    DecodedTracks_t readTracks();

    uint16_t recordCount() const { return m_recordCount; }

private:
    uint8_t m_handle = 0;
    uint16_t m_recordCount = 0;
    plm::RecordBlock_t m_block{};
    std::unique_ptr<char[]> m_buffer;
};

// Reads the handheld's tracks into the database, making duplicate names unique, and ends the
// database's transaction. A track that still cannot be inserted is reported in a message box.
void importTracks(nav::Database_t& database);

} // namespace app

#endif
