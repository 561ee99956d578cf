// pathlet: a desktop HotSync host for the Pathlet conduit. It runs the conduit against a handheld
// given as Palm database files and a HotSync root directory on disk.
#include "Commands.h"

#include "UsageCheck.h"

#include "glo/GLO_Exception.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <unistd.h>

namespace {

std::string actionText(const std::string& text) {
    if (text == "sync" || text == "2")
        return "2";
    if (text == "nothing" || text == "6")
        return "6";
    return "";
}

} // namespace

int main(int argc, char** argv) {
    CLI::App cli{
        "pathlet: copies the track logs of a handheld to the desktop (a HotSync host for the Pathlet "
        "conduit)",
        "pathlet"};
    cli.require_subcommand(1);
    cli.set_version_flag("--version", "pathlet " PATHLET_VERSION);
    const std::string root = host::defaultRoot();
    std::optional<uint32_t> codePage;
    auto addRoot = [&](CLI::App* command, std::string& target) {
        target = root;
        command->add_option("--root", target,
                            "HotSync root directory (default: $PATHLET_ROOT or ~/.local/share/pathlet)");
    };
    auto addCodePage = [&](CLI::App* command) {
        command
            ->add_option("--codepage", codePage,
                         "Code page of the handheld's names (default: the one the user's last HotSync used, "
                         "else 1252)")
            ->check(CLI::PositiveNumber);
    };

    host::HotSyncOptions sync;
    auto* hotsync = cli.add_subcommand("hotsync", "Run a HotSync of a handheld for a user");
    hotsync->add_option("--handheld", sync.handheld, "A .pdb file, or a directory of .pdb/.prc files")
        ->required();
    addRoot(hotsync, sync.root);
    hotsync->add_option("--user", sync.user, "The HotSync user's name")->required();
    std::optional<int32_t> syncType;
    hotsync
        ->add_option("--sync-type", syncType,
                     "The action (2: handheld to desktop, 6: do nothing); default: the user's configured one")
        ->check(CLI::IsMember({2, 6}));
    std::string logFormat = "text";
    hotsync->add_option("--log-format", logFormat, "HotSync log on standard output: text or jsonl")
        ->check(CLI::IsMember({"text", "jsonl"}));
    addCodePage(hotsync);
    double waitSeconds = 120;
    hotsync
        ->add_option("--wait", waitSeconds,
                     "Seconds to wait for another HotSync of the same user to end (default 120)")
        ->check(CLI::Range(0.0, 86400.0));
    hotsync
        ->add_option("--export", sync.exportFormat,
                     "Also write Tracks.gpx or Tracks.geojson beside Tracks.tlx")
        ->check(CLI::IsMember({"gpx", "geojson"}));

    host::SyncOptions syncServer;
    auto* syncCommand = cli.add_subcommand(
        "sync", "Serve network HotSyncs: handhelds connect over TCP and their TrackDB is copied (read only)");
    std::string listen = "0.0.0.0:14238";
    syncCommand->add_option("--listen", listen,
                            "ADDR:PORT to listen on (default 0.0.0.0:14238, all interfaces)");
    syncCommand->add_flag("--once", syncServer.once,
                          "End after one HotSync; exit 0 exactly when it succeeded");
    addRoot(syncCommand, syncServer.root);
    std::string syncLogFormat = "text";
    syncCommand->add_option("--log-format", syncLogFormat, "HotSync log on standard output: text or jsonl")
        ->check(CLI::IsMember({"text", "jsonl"}));
    syncCommand->add_flag("--add-users", syncServer.addUsers,
                          "Add a handheld's user that this desktop does not know, as 'users add' would");
    bool quiet = false;
    syncCommand->add_flag("--quiet", quiet, "No progress line");
    addCodePage(syncCommand);
    syncCommand
        ->add_option("--export", syncServer.hotsync.exportFormat,
                     "Also write Tracks.gpx or Tracks.geojson beside Tracks.tlx")
        ->check(CLI::IsMember({"gpx", "geojson"}));
    double syncTimeout = 30;
    syncCommand
        ->add_option("--timeout", syncTimeout, "Seconds to wait for each answer of a handheld (default 30)")
        ->check(CLI::Range(0.1, 3600.0));

    auto* users = cli.add_subcommand("users", "Manage HotSync users");
    users->require_subcommand(1);
    std::string usersRoot;
    auto* add = users->add_subcommand("add", "Add a user and create their directories");
    std::string userName;
    std::optional<uint32_t> userId;
    std::optional<std::string> userDir;
    add->add_option("name", userName, "The user's name")->required();
    add->add_option("--id", userId, "User id (default: the next free one from 1)");
    add->add_option("--dir", userDir, "Directory name (default: derived from the name)");
    addRoot(add, usersRoot);
    auto* list = users->add_subcommand("list", "List the users");
    std::string listRoot;
    addRoot(list, listRoot);

    host::ConfigureOptions configure;
    auto* config =
        cli.add_subcommand("configure", "Choose the action of the next HotSync (the conduit's dialog)");
    addRoot(config, configure.root);
    config->add_option("--user", configure.user, "The HotSync user's name")->required();
    std::string action;
    config->add_option("--action", action, "sync (2) or nothing (6); asked when not given")
        ->check(CLI::IsMember({"sync", "nothing", "2", "6"}));
    bool makeDefault = false, noDefault = false;
    auto* defaultFlag = config->add_flag("--default", makeDefault, "Make the choice the default");
    config->add_flag("--no-default", noDefault, "For the next HotSync only")->excludes(defaultFlag);
    config->add_flag("--cancel", configure.script.cancel, "Press Cancel");

    auto* info = cli.add_subcommand("info", "What the conduit says about itself");
    auto* demo = cli.add_subcommand("demo", "A whole HotSync of a sample handheld into a fresh demo root");
    std::optional<std::string> demoRoot;
    demo->add_option(
        "--root", demoRoot,
        "Demo root: a new or empty directory, or an earlier demo's (default: a fresh one in $TMPDIR)");

    auto* dump = cli.add_subcommand("dump", "Show what a Tracks.tlx file holds");
    std::string dumpFile;
    bool json = false, points = false;
    dump->add_option("file", dumpFile, "The record file")->required()->check(CLI::ExistingFile);
    dump->add_flag("--json", json, "One JSON document");
    dump->add_flag("--points", points, "Every point too");
    addCodePage(dump);

    auto* exportCommand = cli.add_subcommand("export", "Convert a Tracks.tlx file to GPX 1.1 or GeoJSON");
    std::string exportFile, exportFormat, exportOutput;
    exportCommand->add_option("file", exportFile, "The record file")->required()->check(CLI::ExistingFile);
    exportCommand->add_option("--format", exportFormat, "gpx or geojson")
        ->required()
        ->check(CLI::IsMember({"gpx", "geojson"}));
    exportCommand->add_option("-o,--output", exportOutput, "Output file (default: standard output)");
    addCodePage(exportCommand);

    auto* plot = cli.add_subcommand("plot", "Draw the tracks of a Tracks.tlx file as an SVG map");
    std::string plotFile, plotOutput;
    plot->add_option("file", plotFile, "The record file")->required()->check(CLI::ExistingFile);
    plot->add_option("-o,--output", plotOutput, "The SVG file (default: standard output)");
    addCodePage(plot);

    if (const auto status = cli::parseArguments(cli, argc, argv))
        return *status;
    try {
        if (hotsync->parsed()) {
            sync.syncType = syncType;
            sync.logFormat = logFormat == "jsonl" ? host::LogFormat::Jsonl : host::LogFormat::Text;
            sync.codePage = codePage;
            sync.patience = std::chrono::milliseconds(static_cast<long long>(waitSeconds * 1000));
            return host::runHotSync(sync);
        }
        if (syncCommand->parsed()) {
            try {
                syncServer.listen = dlp::parseEndpoint(listen, 14238);
            } catch (const std::invalid_argument& e) {
                std::cerr << "pathlet: --listen: " << e.what() << " (see pathlet --help)\n";
                return 2;
            }
            syncServer.codePage = codePage;
            syncServer.hotsync.codePage = codePage;
            syncServer.hotsync.logFormat =
                syncLogFormat == "jsonl" ? host::LogFormat::Jsonl : host::LogFormat::Text;
            syncServer.progress = !quiet && ::isatty(2);
            syncServer.timeout = dlp::Timeout_t(static_cast<long long>(syncTimeout * 1000));
            return host::runSync(syncServer);
        }
        if (add->parsed())
            return host::runUsersAdd(usersRoot, userName, userId, userDir);
        if (list->parsed())
            return host::runUsersList(listRoot);
        if (config->parsed()) {
            if (!action.empty())
                configure.script.action = std::stoi(actionText(action));
            if (makeDefault || noDefault)
                configure.script.makeDefault = makeDefault;
            return host::runConfigure(configure);
        }
        if (info->parsed())
            return host::runInfo();
        if (demo->parsed())
            return host::runDemo(demoRoot);
        if (dump->parsed())
            return host::runDump(dumpFile, json, points, host::codePageFor(dumpFile, codePage));
        if (exportCommand->parsed())
            return host::runExport(exportFile, exportFormat, exportOutput,
                                   host::codePageFor(exportFile, codePage));
        if (plot->parsed())
            return host::runPlot(plotFile, plotOutput, host::codePageFor(plotFile, codePage));
    } catch (const host::UsageError& e) {
        std::cerr << "pathlet: " << e.what() << "\n";
        return 1;
    } catch (const glo::Exception_t& e) {
        std::cerr << "pathlet: " << e.source() << " line " << e.line() << ": " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "pathlet: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
