// pathlet users add|list: the HotSync users of a root.
#include "host/cli/Commands.h"
#include "host/cli/SharedOptions.h"
#include "host/hotsync/HotSync.h"
#include "host/platform/HotSyncRoot.h"

#include <filesystem>
#include <iostream>
#include <memory>

namespace fs = std::filesystem;

namespace host {

namespace {

struct UsersOptions {
    std::string root;
    std::string name;
    std::optional<uint32_t> id;
    std::optional<std::string> directory;
    std::string listRoot;
};

int runUsersAdd(const UsersOptions& options) {
    try {
        fs::create_directories(options.root);
        const User user = HotSyncRoot(options.root).addUser(options.name, options.id, options.directory);
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

} // namespace

Command_t addUsersCommand(CLI::App& program) {
    auto options = std::make_shared<UsersOptions>();
    CLI::App* users = program.add_subcommand("users", "Manage HotSync users");
    users->require_subcommand(1);
    CLI::App* add = users->add_subcommand("add", "Add a user and create their directories");
    add->add_option("name", options->name, "The user's name")->required();
    add->add_option("--id", options->id, "User id (default: the next free one from 1)");
    add->add_option("--dir", options->directory, "Directory name (default: derived from the name)");
    addRootOption(*add, options->root);
    CLI::App* list = users->add_subcommand("list", "List the users");
    addRootOption(*list, options->listRoot);
    return {users, [options, add] {
                return add->parsed() ? runUsersAdd(*options) : runUsersList(options->listRoot);
            }};
}

} // namespace host
