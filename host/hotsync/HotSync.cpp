#include "host/hotsync/HotSync.h"
#include "host/exports/Documents.h"
#include "host/exports/Export.h"
#include "host/exports/ExportFormat.h"
#include "host/hotsync/HotSyncWords.h"
#include "host/hotsync/SyncTypes.h"
#include "host/platform/FileLock.h"
#include "host/platform/HotSyncRoot.h"

#include "app/ConduitApi.h"
#include "glo/GLO_CodePage.h"
#include "glo/GLO_Exception.h"
#include "glo/GLO_Identity.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;

namespace host {

namespace {

constexpr std::size_t kSyncPropertiesSize = 1024;

void progress(const char*) {}

void toStandardError(const std::string& text, unsigned) {
    std::cerr << "Pathlet: " << text << std::endl;
}

// The action of this HotSync: the next-HotSync choice (used once), else the user's default, else
// the conduit's own default.
int32_t hostSyncType(HotSyncRoot& root, const std::string& user) {
    if (const auto next = root.hostAction(user, "next_action")) {
        root.setHostAction(user, "next_action", std::nullopt);
        return *next;
    }
    if (const auto chosen = root.hostAction(user, "default_action"))
        return *chosen;
    int32_t action = 0;
    const uint32_t size = sizeof action;
    if (GetConduitInfo(2, nullptr, &action, &size) != 0)
        throw UsageError("the conduit does not say its default action");
    return action;
}

} // namespace

std::string defaultRoot() {
    if (const char* root = std::getenv("PATHLET_ROOT"); root && *root)
        return root;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/pathlet";
}

std::unique_ptr<app::HostContext_t> startUp(uint32_t codePage, app::HostServices_t services) {
    services.ansiCodePage = codePage;
    auto context = std::make_unique<app::HostContext_t>(services);
    if (app::startUpModule() != app::StartUp_t::Ready) {
        std::string known;
        for (const uint32_t page : glo::CodePage_t::ansiCodePages())
            known += (known.empty() ? "" : ", ") + std::to_string(page);
        throw ArgumentError("code page " + std::to_string(codePage) + " is not supported (" + known +
                            " are)");
    }
    return context;
}

std::optional<uint32_t> recordedCodePage(const std::string& file) {
    std::error_code error;
    const fs::path path = fs::absolute(file, error);
    const fs::path userDirectory = path.parent_path().parent_path();
    try {
        if (const auto remembered = rememberedCodePage(userDirectory.string())) {
            const auto recorded =
                IniFile::load((userDirectory / "settings.ini").string()).get(glo::ConduitName, "FileName");
            if (recorded && fs::equivalent(*recorded, path, error))
                return *remembered;
        }
    } catch (const std::runtime_error&) {
        // A settings file that cannot be read records nothing for this file.
    }
    return std::nullopt;
}

uint32_t codePageFor(const std::string& file, std::optional<uint32_t> given) {
    return given ? *given : recordedCodePage(file).value_or(kDefaultCodePage);
}

HotSyncResult performHotSync(const HotSyncOptions& options, plm::SyncManager_t& handheld,
                             const std::function<std::string()>& handheldProblem) {
    if (!fs::is_directory(options.root))
        throw UsageError("HotSync root " + options.root +
                         " does not exist (add a user with 'pathlet users add')");
    if (kUserNameOffset + options.user.size() + 1 > kSyncPropertiesSize)
        throw ArgumentError("the user name is too long");
    HotSyncRoot root(options.root);
    HotSyncFacts facts;
    facts.userName = options.user;
    facts.user = root.user(options.user);
    facts.userProblem = root.problemWith(options.user);
    facts.root = &root;

    // One HotSync of a user at a time: a second waits for the first, then runs on what it left.
    std::optional<FileLock> lock;
    if (facts.user) {
        try {
            lock.emplace(root.hotSyncLockFile(*facts.user), options.patience, [&] {
                std::cerr << "pathlet: another HotSync of '" << options.user
                          << "' is running; waiting for it\n";
            });
        } catch (const FileLock::Timeout&) {
            throw UsageError("another HotSync of '" + options.user +
                             "' is still running; nothing was done (try "
                             "again when it ends, or give --wait more seconds)");
        }
    }

    const uint32_t codePage =
        options.codePage ? *options.codePage
        : facts.user
            ? rememberedCodePage(root.path() + "/" + facts.user->directory).value_or(kDefaultCodePage)
            : kDefaultCodePage;
    facts.codePage = codePage;
    DesktopLog log(options.root + "/HotSync.log", options.logFormat, codePage);
    app::HostServices_t services;
    services.platform = {&log, &handheld, &root, &root};
    services.messageBox = &toStandardError;
    services.outcome = &facts.outcome;
    auto context = startUp(codePage, services);

    facts.actionConfigured = !options.syncType && facts.user;
    facts.syncType = options.syncType ? *options.syncType
                     : facts.user     ? hostSyncType(root, options.user)
                                      : kActionHandheldToDesktop;

    std::vector<char> properties(kSyncPropertiesSize, 0);
    std::memcpy(properties.data() + kSyncTypeOffset, &facts.syncType, sizeof facts.syncType);
    std::memcpy(properties.data() + kUserNameOffset, options.user.c_str(), options.user.size() + 1);

    log.begin(options.user);
    const int32_t conduitResult = OpenConduit(&progress, properties.data());
    facts.handheldProblem = handheldProblem();
    log.finish(conduitResult);
    context.reset();

    HotSyncResult result;
    result.codePage = codePage;
    result.syncType = facts.syncType;
    if (conduitResult != 0) {
        result.words = failureWords(facts);
        return result;
    }
    result.succeeded = true;
    if (facts.syncType != kActionHandheldToDesktop) {
        result.didNothing = true;
        result.words = std::string("nothing done: the action ") +
                       (facts.actionConfigured ? "for this user" : "asked for") + " is " +
                       syncTypeWords(facts.syncType);
        return result;
    }
    root.rememberCodePage(*facts.user, codePage);
    result.file = facts.outcome.desktopFile;
    result.tracks = facts.outcome.tracks;
    result.points = facts.outcome.points;
    result.words = *result.file + " written: " + countWords(result.tracks, result.points);
    if (!options.exportFormat.empty()) {
        std::string extension = options.exportFormat;
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::string exported = fs::path(*result.file).replace_extension(extension).string();
        // The HotSync is done whatever becomes of the export: say both.
        try {
            exportRecordFile(*result.file, options.exportFormat, exported, codePage);
            result.words += "; exported to " + exported;
        } catch (const DocumentError& e) {
            result.exportProblem = e.what();
            result.words += "; but the export failed: " + result.exportProblem;
        }
    }
    return result;
}

void exportRecordFile(const std::string& file, const std::string& format, const std::string& output,
                      uint32_t codePage) {
    const auto context = startUp(codePage);
    nav::Database_t database(nav::Name_t(""), 3);
    readRecordFile(file, database);
    ExportChoice_t choice;
    choice.format = exportFormatNamed(format).value_or(ExportFormat_t::Gpx);
    std::string warning;
    writeDocument(output, [&](std::ostream& out) { warning = writeExport(database, codePage, choice, out); });
    if (!warning.empty())
        std::cerr << "pathlet: warning: " << warning << "\n";
}

} // namespace host
