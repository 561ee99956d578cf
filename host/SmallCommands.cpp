#include "Commands.h"
#include "HotSyncRoot.h"

#include "app/ConduitApi.h"

#include <cstring>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace host {

namespace {

const char* actionName(int32_t action) {
    return action == kActionHandheldToDesktop ? "handheld overwrites desktop"
           : action == kActionDoNothing       ? "do nothing"
                                              : "unknown";
}

int32_t wordAt(const std::vector<char>& record, std::size_t offset) {
    int32_t value;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

void setWord(std::vector<char>& record, std::size_t offset, int32_t value) {
    std::memcpy(record.data() + offset, &value, sizeof value);
}

} // namespace

int runInfo() {
    char name[64];
    GetConduitName(name, sizeof name);
    std::cout << "Name:              " << name << "\n";
    std::cout << "Interface version: 0x" << std::hex << GetConduitVersion() << std::dec << "\n";
    const uint32_t request[2] = {1, 80};
    uint32_t nameSize = sizeof name;
    const int32_t nameResult = GetConduitInfo(0, request, name, &nameSize);
    std::cout << "Information 0:     " << (nameResult == 0 ? name : "(error)") << " (conduit name)\n";
    int32_t value = 0;
    const uint32_t four = 4;
    GetConduitInfo(1, nullptr, &value, &four);
    std::cout << "Information 1:     0x" << std::hex << value << std::dec << " (framework version)\n";
    GetConduitInfo(2, nullptr, &value, &four);
    std::cout << "Information 2:     " << value << " (default action: " << actionName(value) << ")\n";
    return 0;
}

int runUsersAdd(const std::string& root, const std::string& name, std::optional<uint32_t> id,
                std::optional<std::string> directory) {
    try {
        fs::create_directories(root);
        const User user = HotSyncRoot(root).addUser(name, id, directory);
        std::cout << "Added user '" << user.name << "' (id " << user.id << ", directory " << user.directory
                  << ")\n";
    } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
    }
    return 0;
}

int runUsersList(const std::string& root) {
    const HotSyncRoot hotSyncRoot(root);
    const std::vector<User>& users = hotSyncRoot.users();
    if (users.empty())
        std::cout << "No users in " << root << "\n";
    for (const User& user : users)
        std::cout << user.id << "\t" << user.name << "\t" << user.directory << "\n";
    for (const std::string& problem : hotSyncRoot.problems())
        std::cerr << "pathlet: " << problem << "\n";
    return hotSyncRoot.problems().empty() ? 0 : 1;
}

int runConfigure(const ConfigureOptions& options) {
    HotSyncRoot root(options.root);
    if (const auto problem = root.problemWith(options.user))
        throw UsageError(*problem);
    if (!root.user(options.user))
        throw UsageError("unknown user '" + options.user + "' ('pathlet users list' shows the users)");
    const int32_t current =
        root.hostAction(options.user, "next_action")
            .value_or(root.hostAction(options.user, "default_action").value_or(kActionHandheldToDesktop));

    std::vector<char> record(kConfigRecordSize, 0);
    setWord(record, 0, 1);
    setWord(record, 340, current);
    setWord(record, 344, -1);
    setWord(record, 348, -1);
    // Flags answer the dialog; without them it asks, on a terminal or from lines on standard input.
    DialogScript script = options.script;
    script.interactive = !script.action && !script.makeDefault && !script.cancel;
    app::HostServices_t services;
    services.dialog = terminalDialog(script, std::cin, std::cout);
    const app::HostContext_t context(services);
    const uint32_t size = kConfigRecordSize;
    const int32_t result = CfgConduit(0, record.data(), &size);
    if (result != 0)
        throw UsageError("the configuration dialog failed (" + std::to_string(result) + ")");
    if (wordAt(record, 348) == -1) {
        std::cout << "Cancelled: nothing changed.\n";
        return 0;
    }
    const int32_t chosen = wordAt(record, 344);
    if (wordAt(record, 348) == 1) {
        root.setHostAction(options.user, "default_action", chosen);
        root.setHostAction(options.user, "next_action", std::nullopt);
        std::cout << "Default for " << options.user << ": " << actionName(chosen) << "\n";
    } else {
        root.setHostAction(options.user, "next_action", chosen);
        std::cout << "Next HotSync of " << options.user << ": " << actionName(chosen) << "\n";
    }
    return 0;
}

} // namespace host
