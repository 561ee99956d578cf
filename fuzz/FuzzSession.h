#ifndef FUZZ_FUZZSESSION_H
#define FUZZ_FUZZSESSION_H

// A whole HotSync of the link server (host::syncOneHandheld: the Desktop Link session, the user,
// the conduit, the desktop file, the handheld's log line and EndOfSync) against a peer that is the
// fuzzer's input, in a HotSync root of its own that starts alike for every input: the user "Fuzz"
// (id 1), and unknown users added as `pathlet sync --add-users` does.
#include "dlp/DLP_Transport.h"
#include "host/link/SyncServer.h"

#include <memory>

namespace fuzzing {

host::SyncOutcome runHotSync(std::unique_ptr<dlp::Transport_t> transport, bool netSyncHandshake);

} // namespace fuzzing

#endif
