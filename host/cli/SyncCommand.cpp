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
};

int runSync(Options& options) {
    SyncOptions& server = options.server;
    server.hotsync.codePage = server.codePage;
    server.progress = !options.quiet && ::isatty(2);
    server.timeout = dlp::Timeout_t(static_cast<long long>(options.timeoutSeconds * 1000));
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
            std::cerr << "pathlet: --listen: " << e.what() << " (see pathlet --help)\n";
            return 2;
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
        ->add_option("--timeout", options->timeoutSeconds,
                     "Seconds to wait for each answer of a handheld (default 30)")
        ->check(CLI::Range(0.1, 3600.0));
    return {command, [options] { return runSync(*options); }};
}

} // namespace host
