#ifndef HOST_COMMANDS_H
#define HOST_COMMANDS_H

#include "DesktopLog.h"
#include "TerminalDialog.h"

#include "app/HostInterface.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace host {

// A failure the user can act on; main prints "pathlet: <message>" and exits 1.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

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

inline constexpr uint32_t kDefaultCodePage = 1252;

struct ConfigureOptions {
    std::string root;
    std::string user;
    DialogScript script;
};

// Each returns the process's exit status.
int runHotSync(const HotSyncOptions& options);
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
