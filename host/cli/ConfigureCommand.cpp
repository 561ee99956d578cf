// pathlet configure: the conduit's configuration dialog, in the terminal or answered by flags.
#include "host/cli/ActionNames.h"
#include "host/cli/Commands.h"
#include "host/cli/SharedOptions.h"
#include "host/hotsync/HotSync.h"
#include "host/platform/HotSyncRoot.h"
#include "host/platform/TerminalDialog.h"

#include "app/ConduitApi.h"

#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace host {

namespace {

struct ConfigureOptions {
    std::string root;
    std::string user;
    DialogScript script;
    std::string action;
    bool makeDefault = false;
    bool noDefault = false;
};

int32_t wordAt(const std::vector<char>& record, std::size_t offset) {
    int32_t value;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

void setWord(std::vector<char>& record, std::size_t offset, int32_t value) {
    std::memcpy(record.data() + offset, &value, sizeof value);
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
    if (!options.action.empty())
        script.action =
            options.action == "sync" || options.action == "2" ? kActionHandheldToDesktop : kActionDoNothing;
    if (options.makeDefault || options.noDefault)
        script.makeDefault = options.makeDefault;
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

} // namespace

Command_t addConfigureCommand(CLI::App& program) {
    auto options = std::make_shared<ConfigureOptions>();
    CLI::App* command =
        program.add_subcommand("configure", "Choose the action of the next HotSync (the conduit's dialog)");
    addRootOption(*command, options->root);
    command->add_option("--user", options->user, "The HotSync user's name")->required();
    command->add_option("--action", options->action, "sync (2) or nothing (6); asked when not given")
        ->check(CLI::IsMember({"sync", "nothing", "2", "6"}));
    auto* defaultFlag = command->add_flag("--default", options->makeDefault, "Make the choice the default");
    command->add_flag("--no-default", options->noDefault, "For the next HotSync only")->excludes(defaultFlag);
    command->add_flag("--cancel", options->script.cancel, "Press Cancel");
    return {command, [options] { return runConfigure(*options); }};
}

} // namespace host
