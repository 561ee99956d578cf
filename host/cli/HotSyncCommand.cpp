// pathlet hotsync: a HotSync of a handheld given as Palm database files.
#include "host/cli/Commands.h"
#include "host/cli/SharedOptions.h"
#include "host/hotsync/HotSync.h"
#include "host/hotsync/SyncTypes.h"
#include "host/platform/HugePageHeap.h"

#include "plm/desktop/PLM_PdbHandheld.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>

namespace host {

namespace {

struct Options {
    std::string handheld;
    HotSyncOptions hotsync;
    std::string syncType;
    double waitSeconds = 120;
};

// The most memory the handheld's points can take in the model: a point takes 31 bytes in memory
// and at least 8 of the handheld's records (the decoder stops at that bound), so at most about four
// times the bytes of its files. Files that hold no points only make it larger than it need be,
// which costs nothing but address space.
uint64_t largestModelOf(const plm::PdbHandheld_t& handheld) {
    uint64_t bytes = 0;
    for (const std::string& file : handheld.files()) {
        std::error_code error;
        const uint64_t size = std::filesystem::file_size(file, error);
        if (!error)
            bytes += size;
    }
    return bytes < (uint64_t{1} << 60) ? 4 * bytes : UINT64_MAX;
}

int runHotSync(const Options& options) {
    if (!std::filesystem::exists(options.handheld))
        throw UsageError("no handheld at " + options.handheld);
    HotSyncOptions hotsync = options.hotsync;
    if (!options.syncType.empty())
        hotsync.syncType = parseSyncType(options.syncType);
    hotsync.patience = std::chrono::milliseconds(static_cast<long long>(options.waitSeconds * 1000));
    plm::PdbHandheld_t handheld(options.handheld);
    // One HotSync, then the process ends: its model may come from huge pages.
    reserveHugePageHeap(largestModelOf(handheld));
    const HotSyncResult result = performHotSync(hotsync, handheld, [&] { return handheld.problem(); });
    for (const std::string& warning : handheld.warnings())
        std::cerr << "pathlet: warning: " << warning << "\n";
    std::cerr << "pathlet: " << result.words << "\n";
    return result.succeeded && result.exportProblem.empty() ? 0 : 1;
}

// Accepts a sync type by number or name.
std::string checkSyncType(const std::string& text) {
    if (parseSyncType(text))
        return {};
    std::string known;
    for (const SyncType_t& type : syncTypes())
        known += (known.empty() ? "" : ", ") + std::to_string(type.number) + " " + type.name;
    return "'" + text + "' is not a sync type (" + known + ")";
}

} // namespace

Command_t addHotSyncCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    CLI::App* command = program.add_subcommand("hotsync", "Run a HotSync of a handheld for a user");
    command->add_option("--handheld", options->handheld, "A .pdb file, or a directory of .pdb/.prc files")
        ->required();
    addRootOption(*command, options->hotsync.root);
    command->add_option("--user", options->hotsync.user, "The HotSync user's name")->required();
    command
        ->add_option("--sync-type", options->syncType,
                     "The action, by number or name: 0 fast, 1 slow, 2 handheld-to-desktop, "
                     "3 desktop-to-handheld, 4 install, 5 backup, 6 nothing, 7 profile-install (the conduit "
                     "copies only for 2); default: the user's configured one")
        ->check(CLI::Validator(checkSyncType, "TYPE"));
    addLogFormatOption(*command, options->hotsync.logFormat);
    addCodePageOption(*command, options->hotsync.codePage);
    command
        ->add_option("--wait", options->waitSeconds,
                     "Seconds to wait for another HotSync of the same user to end (default 120)")
        ->check(CLI::Range(0.0, 86400.0));
    addExportOption(*command, options->hotsync.exportFormat);
    return {command, [options] { return runHotSync(*options); }};
}

} // namespace host
