// pathlet demo: a whole HotSync of a sample handheld in a root of its own.
#include "host/cli/Commands.h"
#include "host/exports/TrackTable.h"
#include "host/hotsync/HotSync.h"
#include "host/platform/HotSyncRoot.h"

#include "glo/GLO_Identity.h"
#include "plm/desktop/PLM_PdbHandheld.h"
#include "rec/REC_DatabaseReader.h"
#include "synth/SYN_PdbFile.h"
#include "synth/SYN_TrackLog.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

namespace host {

namespace {

// The sample handheld: realistic walks, an active log, a log recorded in three segments, and two
// logs of one name.
std::vector<std::string> sampleRecords() {
    std::vector<synth::TrackLog_t> logs = synth::syntheticLogs(3, 720, 100, 2004, 0.04);
    logs[0].name = "Morning walk";
    logs[1].name = "Ridge traverse";
    logs[2].name = "Lake loop";

    std::vector<synth::TrackLog_t> more = synth::syntheticLogs(3, 240, 60, 17, 0.04);
    more[0].name = "ACTIVE LOG";
    more[1].name = "Lake loop";
    more[1].colorCode = 9;
    more[2].name = "Ferry crossing";
    more[2].colorCode = 4;
    more[2].pointFlags = 0x07;
    for (const std::size_t at : {80u, 160u})
        more[2].points[at].latitude |= 1; // the receiver lost its fix twice
    logs.insert(logs.end(), more.begin(), more.end());

    std::vector<std::string> records;
    for (const synth::TrackLog_t& log : logs)
        for (std::string& record : synth::encodeTrackLog(log))
            records.push_back(std::move(record));
    return records;
}

} // namespace

namespace {

constexpr const char* kDemoMark = ".pathlet-demo";

// What a demo puts in its root; only these are ever removed, and only from a root it marked.
bool madeByDemo(const fs::path& entry) {
    const std::string name = entry.filename().string();
    return name == kDemoMark || name == "handheld" || name == "users.ini" || name == "HotSync.log" ||
           name == "Demo_User" || name == ".users.lock" ||
           (name.starts_with(".hotsync-") && name.ends_with(".lock"));
}

// A root for the demo: a fresh directory of its own, an empty or new `requested` one, or a
// previous demo root, cleared of what that demo made. Anything else is refused.
std::string demoRoot(const std::optional<std::string>& requested) {
    if (!requested) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pathlet-demo-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw UsageError("cannot make a directory for the demo in " +
                             pattern.substr(0, pattern.rfind('/')));
        return pattern;
    }
    const fs::path root = *requested;
    std::error_code error;
    if (fs::exists(fs::symlink_status(root, error)) && !fs::is_directory(root, error))
        throw UsageError(root.string() + " is not a directory");
    if (fs::is_directory(root, error) && !fs::is_empty(root, error)) {
        if (!fs::exists(root / kDemoMark))
            throw UsageError(root.string() + " is not empty and not a demo root; the demo leaves it alone "
                                             "(give an empty or new directory, or none)");
        for (const auto& entry : fs::directory_iterator(root))
            if (!madeByDemo(entry.path()))
                throw UsageError(root.string() + " holds " + entry.path().filename().string() +
                                 ", which the demo did not make; the demo leaves it alone");
        for (const auto& entry : fs::directory_iterator(root))
            fs::remove_all(entry.path());
    }
    fs::create_directories(root);
    return root.string();
}

int runDemo(const std::optional<std::string>& requestedRoot) {
    const std::string rootPath = demoRoot(requestedRoot);
    std::ofstream(fs::path(rootPath) / kDemoMark) << "A root made by 'pathlet demo'.\n";
    fs::create_directories(rootPath + "/handheld");
    const std::string handheld = rootPath + "/handheld/TrackDB.pdb";
    synth::writeFile(handheld,
                     synth::buildPdb(glo::TrackDatabaseName, "Trck", glo::CreatorCode, sampleRecords()));
    std::cout << "Sample handheld: " << handheld << "\n";

    const User user = HotSyncRoot(rootPath).addUser("Demo User", std::nullopt, std::nullopt);
    std::cout << "HotSync root:    " << rootPath << " (user '" << user.name << "')\n\nHotSync log:\n";

    HotSyncOptions options;
    options.root = rootPath;
    options.user = user.name;
    plm::PdbHandheld_t device(handheld);
    const HotSyncResult result = performHotSync(options, device, [&] { return device.problem(); });
    std::cerr << "pathlet: " << result.words << "\n";
    if (!result.succeeded)
        return 1;

    const std::string file = HotSyncRoot(rootPath).conduitFileName(user).value_or("");
    nav::Database_t database(nav::Name_t(""), 3);
    rec::readDatabaseFile(file, database);
    std::cout << "\n" << file << " (" << fs::file_size(file) << " bytes):\n\n";
    printTrackTable(database, 1252, std::cout);
    std::cout << "\nThe demo wrote only in " << rootPath << "; remove it when you are done (rm -r "
              << rootPath << ").\n";
    return 0;
}

} // namespace

Command_t addDemoCommand(CLI::App& program) {
    auto root = std::make_shared<std::optional<std::string>>();
    CLI::App* command =
        program.add_subcommand("demo", "A whole HotSync of a sample handheld into a fresh demo root");
    command->add_option(
        "--root", *root,
        "Demo root: a new or empty directory, or an earlier demo's (default: a fresh one in $TMPDIR)");
    return {command, [root] { return runDemo(*root); }};
}

} // namespace host
