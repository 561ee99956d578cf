// pathlet sync: serves handhelds that press their HotSync button.
#include "host/cli/Commands.h"
#include "host/cli/SharedOptions.h"
#include "host/link/SyncServer.h"
#include "host/link/TcpLink.h"
#include "host/link/TtyLink.h"
#include "host/link/UsbLink.h"

#include <iostream>
#include <memory>
#include <unistd.h>

namespace host {

namespace {

const std::string kDefaultListen = "0.0.0.0:" + std::to_string(dlp::kNetSyncPort);

struct Options {
    SyncOptions server;
    std::optional<std::string> listen;
    bool usb = false;
    std::vector<std::string> serial;
    uint32_t baud = 115200;
    bool quiet = false;
    double timeoutSeconds = 30;
    double maxSizeMegabytes = static_cast<double>(HoldLimits_t::kDefaultTotalBytes >> 20);
};

int runSync(Options& options) {
    SyncOptions& server = options.server;
    server.hotsync.codePage = server.codePage;
    server.progress = !options.quiet && ::isatty(2);
    server.timeout = dlp::Timeout_t(static_cast<long long>(options.timeoutSeconds * 1000));
    server.limits.totalBytes = static_cast<uint64_t>(options.maxSizeMegabytes * 1024 * 1024);
    dlp::SerialOptions_t serial;
    serial.maxBaud = options.baud;
    serial.timeout = server.timeout;
    std::vector<std::unique_ptr<Link_t>> links;
    if (options.usb)
        links.push_back(std::make_unique<UsbLink_t>(serial));
    for (const std::string& device : options.serial) {
        try {
            links.push_back(std::make_unique<TtyLink_t>(device, serial));
        } catch (const dlp::LinkError_t& e) {
            throw UsageError(e.what());
        }
    }
    // Network HotSync is served when asked for, or when no other link is.
    if (options.listen || links.empty()) {
        dlp::Endpoint_t endpoint;
        try {
            endpoint = dlp::parseEndpoint(options.listen.value_or(kDefaultListen), dlp::kNetSyncPort);
        } catch (const std::invalid_argument& e) {
            throw ArgumentError(std::string("--listen: ") + e.what());
        }
        links.push_back(std::make_unique<TcpLink_t>(endpoint, server.timeout));
    }
    return serveHandhelds(server, std::move(links));
}

} // namespace

Command_t addSyncCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    SyncOptions& server = options->server;
    CLI::App* command = program.add_subcommand(
        "sync",
        "Serve handhelds that press their HotSync button, on the network, USB and serial lines: their "
        "TrackDB is copied (read only)");
    command->add_option("--listen", options->listen,
                        "ADDR:PORT to listen on for network HotSync (default " + kDefaultListen +
                            ", all interfaces, when no other link is given)");
    command->add_flag("--usb", options->usb,
                      "Serve handhelds on USB (cradles and cables; they appear when HotSync is pressed)");
    command
        ->add_option("--serial", options->serial,
                     "A serial line to serve (repeatable): /dev/ttyS0, /dev/ttyUSB0, /dev/rfcomm0, ...")
        ->allow_extra_args(false);
    command->add_option("--baud", options->baud, "The fastest rate to offer on serial lines (default 115200)")
        ->check(CLI::IsMember({9600, 19200, 38400, 57600, 115200, 230400}));
    command->add_flag("--once", server.once, "End after one HotSync; exit 0 exactly when it succeeded");
    addRootOption(*command, server.root);
    addLogFormatOption(*command, server.hotsync.logFormat);
    command->add_flag("--add-users", server.addUsers,
                      "Add a handheld's user that this desktop does not know, as 'users add' would");
    command->add_flag("--quiet", options->quiet, "No progress line");
    addCodePageOption(*command, server.codePage);
    addExportOption(*command, server.hotsync.exportFormat);
    command
        ->add_option(
            "--timeout", options->timeoutSeconds,
            "Seconds to wait for each answer of a handheld to begin (default 30). An answer must "
            "come whole within that plus a second for every 512 bytes it carries; a whole HotSync may "
            "keep the desktop waiting for the handheld ten times that, plus a second for every 512 "
            "bytes it sent (the desktop's own work between requests does not count)")
        ->check(CLI::Range(0.1, 3600.0));
    command
        ->add_option("--max-size", options->maxSizeMegabytes,
                     "The most a handheld's TrackDB may bring, in MB (default 512, twice the largest "
                     "handheld memory; a record holds at most 65535 bytes, a database 65535 records). A "
                     "larger one is refused, nothing is copied and the old Tracks.tlx is kept")
        ->check(CLI::Range(0.001, 4096.0));
    return {command, [options] { return runSync(*options); }};
}

} // namespace host
