#ifndef HOST_HOTSYNC_HOTSYNC_H
#define HOST_HOTSYNC_HOTSYNC_H

// A HotSync of one user against any handheld, run through the conduit's entry point as a HotSync
// Manager would: the user's lock, the HotSync log, the conduit, the export.

#include "app/HostInterface.h"
#include "host/platform/DesktopLog.h"
#include "plm/PLM_Platform.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace host {

// A failure the user can act on; the command line prints "pathlet: <message>" and exits 1.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Arguments the command cannot take (a value out of range, a missing choice): like the argument
// parser's own errors, exit status 2 and a pointer to the command's help.
struct ArgumentError : UsageError {
    using UsageError::UsageError;
};

inline constexpr uint32_t kDefaultCodePage = 1252;

struct HotSyncOptions {
    std::string root;
    std::string user;
    std::optional<int32_t> syncType; // default: the user's configured action
    LogFormat logFormat = LogFormat::Text;
    std::optional<uint32_t> codePage; // default: the user's last, else 1252
    std::string exportFormat;         // gpx, geojson, kml or csv: also write Tracks.gpx (...) beside it
    // How long to wait for another HotSync of the same user to end.
    std::chrono::milliseconds patience = std::chrono::seconds(120);
};

// What a HotSync came to.
struct HotSyncResult {
    bool succeeded = false;  // the conduit's result was 0
    bool didNothing = false; // the action was not the handheld-to-desktop one
    int32_t syncType = 0;    // the action the conduit was given
    std::string words;       // what happened, in one sentence
    std::optional<std::string> file;
    uint64_t tracks = 0;
    uint64_t points = 0;
    uint32_t codePage = kDefaultCodePage;
    std::string exportProblem; // why the export asked for was not written, after a HotSync that was
};

// A HotSync of options.user against any handheld. `handheldProblem` says why the handheld failed,
// when it did.
// @exception UsageError when it cannot start (no root, a HotSync of the user still running).
HotSyncResult performHotSync(const HotSyncOptions& options, plm::SyncManager_t& handheld,
                             const std::function<std::string()>& handheldProblem);

// Installs the host's services and starts the conduit module for as long as the result lives:
// the handheld's code page becomes the text services' locale.
// @exception UsageError for a code page the system cannot convert.
std::unique_ptr<app::HostContext_t> startUp(uint32_t codePage, app::HostServices_t services = {});

// The code page of a record file's names: `given`, else the one recorded by the HotSync that wrote
// the file (when it lies in a user's directory), else 1252.
uint32_t codePageFor(const std::string& file, std::optional<uint32_t> given);
// The code page the HotSync that wrote `file` read names in, when the file is still where it
// wrote it.
std::optional<uint32_t> recordedCodePage(const std::string& file);

// Converts a record file to GPX, GeoJSON, KML or CSV (`format`), written whole to `output` ("" or "-":
// standard output). @exception std::runtime_error naming the file that failed and why.
void exportRecordFile(const std::string& file, const std::string& format, const std::string& output,
                      uint32_t codePage);

// $PATHLET_ROOT, else ~/.local/share/pathlet.
std::string defaultRoot();

} // namespace host

#endif
