#ifndef HOST_COMMANDS_H
#define HOST_COMMANDS_H

#include "DesktopLog.h"
#include "TerminalDialog.h"

#include "app/HostInterface.h"
#include "dlp/DLP_Socket.h"
#include "plm/PLM_Platform.h"
#include "rec/REC_DatabaseReader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace host {

// A failure the user can act on; main prints "pathlet: <message>" and exits 1.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline constexpr uint32_t kDefaultCodePage = 1252;

struct HotSyncOptions {
    std::string handheld;
    std::string root;
    std::string user;
    std::optional<int32_t> syncType;
    LogFormat logFormat = LogFormat::Text;
    std::optional<uint32_t> codePage; // default: the user's last, else 1252
    std::string exportFormat;         // gpx or geojson: also write Tracks.gpx or Tracks.geojson
    // How long to wait for another HotSync of the same user to end.
    std::chrono::milliseconds patience = std::chrono::seconds(120);
};

struct ConfigureOptions {
    std::string root;
    std::string user;
    DialogScript script;
};

// What a HotSync came to.
struct HotSyncResult {
    bool succeeded = false;  // the conduit's result was 0
    bool didNothing = false; // the action was Do nothing
    std::string words;       // what happened, in one sentence
    std::optional<std::string> file;
    rec::TrackCount_t count;
    uint32_t codePage = kDefaultCodePage;
};

// A HotSync of options.user against any handheld: the user's lock, the HotSync log, the conduit,
// the export. `handheldProblem` says why the handheld failed, when it did.
// @exception UsageError when it cannot start (no root, a HotSync of the user still running).
HotSyncResult performHotSync(const HotSyncOptions& options, plm::SyncManager_t& handheld,
                             const std::function<std::string()>& handheldProblem);
// "12 tracks, 4,213 points".
std::string countWords(const rec::TrackCount_t& count);

struct SyncOptions {
    dlp::Endpoint_t listen{"0.0.0.0", 14238};
    std::string root;
    bool once = false;
    bool addUsers = false;
    bool progress = false;                             // a progress line on standard error
    std::optional<uint32_t> codePage;                  // of the handheld's user name, and the HotSync's
    dlp::Timeout_t timeout = std::chrono::seconds(30); // for each answer of the handheld
    HotSyncOptions hotsync;                            // log format, export, code page, wait
    std::function<void(uint16_t)> onListening;         // told the port (for tests)
};

struct SyncOutcome {
    bool succeeded = false;
    std::string user;
    std::string words;         // for the desktop
    std::string handheldWords; // for the handheld's log, when they differ
    uint64_t recordsRead = 0;
    uint64_t roundTrips = 0;
};

// One handheld's session on an accepted connection: user, HotSync, the handheld's log line,
// EndOfSync on every path the link allows.
SyncOutcome syncOneHandheld(dlp::Socket_t socket, const SyncOptions& options);

// Each returns the process's exit status.
int runHotSync(const HotSyncOptions& options);
// Serves handhelds until Ctrl-C, or until the first HotSync with `once` (then its status).
int runSync(const SyncOptions& options);
int runConfigure(const ConfigureOptions& options);
int runInfo();
int runUsersAdd(const std::string& root, const std::string& name, std::optional<uint32_t> id,
                std::optional<std::string> directory);
int runUsersList(const std::string& root);
// Without a root, the demo makes a fresh directory under $TMPDIR (or /tmp).
int runDemo(const std::optional<std::string>& root);
int runDump(const std::string& file, bool json, bool points, uint32_t codePage);
// format: gpx or geojson; output empty or "-" for standard output.
int runExport(const std::string& file, const std::string& format, const std::string& output,
              uint32_t codePage);
int runPlot(const std::string& file, const std::string& output, uint32_t codePage);

// Installs the host's services and starts the conduit module for as long as the result lives:
// the handheld's code page becomes the text services' locale.
std::unique_ptr<app::HostContext_t> startUp(uint32_t codePage, app::HostServices_t services = {});

// The code page of a record file's names: `given`, else the one recorded by the HotSync that wrote
// the file (when it lies in a user's directory), else 1252.
uint32_t codePageFor(const std::string& file, std::optional<uint32_t> given);

// $PATHLET_ROOT, else ~/.local/share/pathlet.
std::string defaultRoot();

} // namespace host

#endif
