#ifndef APP_OUTCOMERECORDER_H
#define APP_OUTCOMERECORDER_H

#include "app/HostInterface.h"
#include "app/TrackLogDecoder.h"
#include "glo/GLO_NonCopyable.h"
#include "nav/NAV_Database.h"

#include <cstdint>
#include <string>

namespace app {

// Installs the outcome a host listens on (null: nobody listens); returns the one installed before.
HotSyncOutcome_t* setOutcomeListener(HotSyncOutcome_t* outcome);

// Fills the listened outcome during one OpenConduit call: the constructor clears what the last
// call left, each way out records itself. Without a listener every call does nothing but pass the
// result through, so a host that does not listen sees the conduit exactly as before.
class OutcomeRecorder_t : private glo::NonCopyable_t {
public:
    OutcomeRecorder_t();

    // Records how the call ended and returns `result`, OpenConduit's return value.
    int32_t ended(HotSyncEnd_t end, int32_t result);
    void desktopFile(const std::string& path);
    // Counts the tracks and points of the database just written.
    void written(const nav::Database_t& database);
    // Where the reader reports the place of a failure; null when nobody listens.
    FailurePlace_t* handheldPlace() { return m_outcome ? &m_place : nullptr; }
    // Records the failure being handled, as LogFailure got it, and returns `result`. Call it only
    // from the handler of the exception that ended the run: it looks at that exception's class.
    int32_t failed(int32_t result, const char* source, int line, const std::string& message);

private:
    HotSyncOutcome_t* m_outcome;
    FailurePlace_t m_place;
};

} // namespace app

#endif
