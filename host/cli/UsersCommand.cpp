// pathlet users add|list|remove|rename: the HotSync users of a root.
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
    std::string newName;
    std::optional<uint32_t> id;
    std::optional<std::string> directory;
};

// users.ini's own words are the user's to act on: said as usage problems.
template <class Change> int changeUsers(Change&& change) {
    try {
        change();
    } catch (const std::invalid_argument& e) {
        throw ArgumentError(e.what());
    } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
    }
    return 0;
}

int runUsersAdd(const UsersOptions& options) {
    return changeUsers([&] {
        std::error_code error;
        fs::create_directories(options.root, error);
        if (error)
            throw std::runtime_error(cannotCreate(options.root, error));
        const User user = HotSyncRoot(options.root).addUser(options.name, options.id, options.directory);
        std::cout << "Added user '" << user.name << "' (id " << user.id << ", directory " << user.directory
                  << ")\n";
    });
}

int runUsersRemove(const UsersOptions& options) {
    return changeUsers([&] {
        HotSyncRoot root(options.root);
        const std::optional<User> user = root.user(options.name);
        root.removeUser(options.name);
        std::cout << "Removed user '" << options.name << "'";
        if (user)
            std::cout << "; the files in " << (fs::path(root.path()) / user->directory).string()
                      << " are kept";
        std::cout << "\n";
    });
}

int runUsersRename(const UsersOptions& options) {
    return changeUsers([&] {
        HotSyncRoot(options.root).renameUser(options.name, options.newName);
        std::cout << "Renamed user '" << options.name << "' to '" << options.newName
                  << "' (the same id and directory)\n";
    });
}

int runUsersList(const std::string& root) {
    const HotSyncRoot hotSyncRoot(root);
    const std::vector<User>& users = hotSyncRoot.users();
    if (users.empty())
        std::cout << "No users in " << root << "\n";
    std::vector<std::string> problems = hotSyncRoot.problems();
    for (const User& user : users) {
        std::cout << user.id << "\t" << user.name << "\t" << user.directory << "\n";
        if (const auto missing = hotSyncRoot.missingDirectory(user))
            problems.push_back(*missing);
    }
    for (const std::string& problem : problems)
        std::cerr << "pathlet: " << problem << "\n";
    return problems.empty() ? 0 : 1;
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
    addRootOption(*list, options->root);
    CLI::App* remove =
        users->add_subcommand("remove", "Take a user out of the HotSync root (their files are kept)");
    remove->add_option("name", options->name, "The user's name")->required();
    addRootOption(*remove, options->root);
    CLI::App* rename =
        users->add_subcommand("rename", "Give a user another name (the same id and directory)");
    rename->add_option("name", options->name, "The user's name")->required();
    rename->add_option("new-name", options->newName, "The new name")->required();
    addRootOption(*rename, options->root);
    return {users, [options, add, remove, rename] {
                if (add->parsed())
                    return runUsersAdd(*options);
                if (remove->parsed())
                    return runUsersRemove(*options);
                if (rename->parsed())
                    return runUsersRename(*options);
                return runUsersList(options->root);
            }};
}

} // namespace host
