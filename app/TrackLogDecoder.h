#ifndef APP_TRACKLOGDECODER_H
#define APP_TRACKLOGDECODER_H

#include "app/HostInterface.h"
#include "nav/NAV_Identifiers.h"
#include "nav/NAV_Track.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace app {

using DecodedTracks_t = std::vector<std::pair<nav::TrackId_t, nav::Track_t>>;

// Where reading the handheld was when an exception left it, and the value refused there; the
// reader fills it on the way out (HostInterface.h says what each field holds).
using FailurePlace_t = std::optional<HandheldPlace_t>;

// One handheld record as read: its bytes stay valid until the next record is read.
struct HandheldRecord_t {
    const unsigned char* bytes = nullptr;
    uint32_t size = 0;
    bool firstWordZero = false; // the handheld's end-of-logs mark, when it starts a log
};

// Where a decoder gets the records after a log's first one.
class RecordSource_t {
public:
    virtual ~RecordSource_t() = default;
    virtual uint32_t recordCount() const = 0;
    // @exception ConError_t when the read fails.
    virtual HandheldRecord_t readRecord(uint16_t index) = 0;
    // Bytes of all the records read so far.
    virtual uint64_t bytesRead() const = 0;
};

// How a track log's decoding ended.
enum class LogEnd_t {
    Complete,  // every point of the header's count was decoded
    CutShort,  // a point entry ran past its record, or the log's next record does not exist
    NoHeader,  // the first record is too short to hold a header: the logs end here
    NoName,    // the log has no name: the logs end here
    PastBound, // more points than the records read could hold: the logs end here
};

// Every point takes at least its latitude and longitude in a record, so a handheld cannot hold
// more points than its record bytes divided by this; only overlapping points (a stride below it)
// could claim more, and decoding stops there.
constexpr uint64_t kLeastPointBytes = 8;

struct DecodedLog_t {
    DecodedTracks_t tracks;  // the log's segments in order, each with at least one point
    uint32_t nextRecord = 0; // the record after the log's last one
    uint64_t points = 0;     // points decoded
    LogEnd_t end = LogEnd_t::Complete;
};

// Decodes the track log whose first record is `first` (record `index` of the source): its name and
// colour from the header, then its points, a new segment starting a new track. The points run on
// into the next records of the source as the header's points-per-record says.
// @exception glo::OutOfRange_t for a latitude beyond the poles, a colour code without a database
// colour, or a time past 2038; ConError_t when a continuation record cannot be read.
// `pointsBefore` counts the points of the logs before this one, for the bound above. When an
// exception leaves, `failedAt` (if given) receives the log, record and point, and the value refused.
DecodedLog_t decodeTrackLog(RecordSource_t& source, const HandheldRecord_t& first, uint32_t index,
                            uint64_t pointsBefore = 0, FailurePlace_t* failedAt = nullptr);

} // namespace app

#endif
