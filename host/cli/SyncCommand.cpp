// pathlet sync: serves handhelds that press their HotSync button.
#include "host/cli/Commands.h"
#include "host/cli/SharedOptions.h"
#include "host/link/SyncServer.h"

#include <iostream>
#include <memory>
#include <unistd.h>

namespace host {

namespace {

struct Options {
    SyncOptions server;
    std::string listen = "0.0.0.0:" + std::to_string(SyncOptions().listen.port);
    bool quiet = false;
    double timeoutSeconds = 30;
};

int runSync(Options& options) {
    SyncOptions& server = options.server;
    try {
        server.listen = dlp::parseEndpoint(options.listen, SyncOptions().listen.port);
    } catch (const std::invalid_argument& e) {
        std::cerr << "pathlet: --listen: " << e.what() << " (see pathlet --help)\n";
        return 2;
    }
    server.hotsync.codePage = server.codePage;
    server.progress = !options.quiet && ::isatty(2);
    server.timeout = dlp::Timeout_t(static_cast<long long>(options.timeoutSeconds * 1000));
    return serveHandhelds(server);
}

} // namespace

Command_t addSyncCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    SyncOptions& server = options->server;
    CLI::App* command = program.add_subcommand(
        "sync", "Serve network HotSyncs: handhelds connect over TCP and their TrackDB is copied (read only)");
    command->add_option("--listen", options->listen,
                        "ADDR:PORT to listen on (default " + options->listen + ", all interfaces)");
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
