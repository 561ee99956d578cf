#include "Commands.h"
#include "HotSyncRoot.h"

#include "app/ConduitApi.h"
#include "glo/GLO_CodePage.h"
#include "glo/GLO_Exception.h"
#include "plm/desktop/PLM_PdbHandheld.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
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
        throw UsageError("code page " + std::to_string(codePage) + " is not supported (" + known + " are)");
    }
    return context;
}

int runHotSync(const HotSyncOptions& options) {
    if (!fs::is_directory(options.root))
        throw UsageError("HotSync root " + options.root +
                         " does not exist (add a user with 'pathlet users add')");
    if (!fs::exists(options.handheld))
        throw UsageError("no handheld at " + options.handheld);
    if (kUserNameOffset + options.user.size() + 1 > kSyncPropertiesSize)
        throw UsageError("the user name is too long");
    HotSyncRoot root(options.root);
    plm::PdbHandheld_t handheld(options.handheld);
    DesktopLog log(options.root + "/HotSync.log", options.logFormat, options.codePage);
    app::HostServices_t services;
    services.platform = {&log, &handheld, &root, &root};
    services.messageBox = &toStandardError;
    auto context = startUp(options.codePage, services);

    const bool known = root.user(options.user).has_value();
    const int32_t syncType = options.syncType ? *options.syncType
                             : known          ? hostSyncType(root, options.user)
                                              : kActionHandheldToDesktop;

    std::vector<char> properties(kSyncPropertiesSize, 0);
    std::memcpy(properties.data() + kSyncTypeOffset, &syncType, sizeof syncType);
    std::memcpy(properties.data() + kUserNameOffset, options.user.c_str(), options.user.size() + 1);

    log.begin(options.user);
    const int32_t result = OpenConduit(&progress, properties.data());
    log.finish(result);
    context.reset();
    if (!known)
        std::cerr << "pathlet: unknown user '" << options.user
                  << "' ('pathlet users list' shows the users)\n";
    if (result != 0)
        return 1;
    if (!options.exportFormat.empty() && syncType == kActionHandheldToDesktop) {
        const std::optional<std::string> file = root.conduitFileName(*root.user(options.user));
        if (!file)
            throw UsageError("the conduit recorded no desktop file for " + options.user);
        const std::string exported = fs::path(*file).replace_extension(options.exportFormat).string();
        runExport(*file, options.exportFormat, exported, options.codePage);
    }
    return 0;
}

} // namespace host
