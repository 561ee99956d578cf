#ifndef HOST_LINK_SYNCSERVER_H
#define HOST_LINK_SYNCSERVER_H

// The server behind a handheld's own HotSync button: it accepts handhelds on their links, runs one
// HotSync at a time through the conduit and ends every sync properly.

#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Socket.h"
#include "host/hotsync/HotSync.h"
#include "host/link/DlpLink.h"
#include "host/link/Link.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct SyncOptions {
    std::string root;
    bool once = false;
    bool addUsers = false;
    bool progress = false;            // a progress line on standard error
    std::optional<uint32_t> codePage; // of the handheld's user name, and the HotSync's
    // For each answer of the handheld to begin; an answer of N bytes comes whole within
    // dlp::answerTime(timeout, N), and a session keeps the desktop waiting at most ten times it
    // plus a second for every 512 bytes it sent (dlp::BoundedStream_t).
    dlp::Timeout_t timeout = std::chrono::seconds(30);
    HoldLimits_t limits;               // what a handheld's database may bring
    HotSyncOptions hotsync;            // log format, export, code page, wait
    std::function<bool()> interrupted; // Ctrl-C came (the server sets it)
    // Runs after each HotSync, before the sync is ended (for tests: a step that fails there).
    std::function<void(const HotSyncResult&)> afterHotSync;
};

struct SyncOutcome {
    bool succeeded = false;
    std::string user;
    std::string words;         // for the desktop
    std::string handheldWords; // for the handheld's log, when they differ
    uint64_t recordsRead = 0;
    uint64_t roundTrips = 0;
};

// One handheld's session on a link: user, HotSync, the handheld's log line, EndOfSync on every
// path the link allows.
SyncOutcome syncOneHandheld(Arrival_t arrival, const SyncOptions& options);

// Serves handhelds on every link at once, one HotSync at a time, until Ctrl-C, or until the first
// HotSync with `once`; returns the exit status (with `once`, 0 exactly when that HotSync
// succeeded). @exception UsageError when there is no root or no link.
int serveHandhelds(const SyncOptions& options, std::vector<std::unique_ptr<Link_t>> links);

} // namespace host

#endif
