#ifndef HOST_PLATFORM_HOTSYNCROOT_H
#define HOST_PLATFORM_HOTSYNCROOT_H

#include "host/platform/IniFile.h"
#include "plm/PLM_Platform.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace host {

struct User {
    std::string name;
    uint32_t id = 0;
    std::string directory;
};

// A HotSync root directory on disk: users in users.ini (one section per user name, with id= and
// dir=), each user's directory with settings.ini, conduit directories by creator code (conduits.ini
// may override them). Serves the conduit as its user-data service and conduit manager.
class HotSyncRoot : public plm::UserData_t, public plm::ConduitManager_t {
public:
    explicit HotSyncRoot(std::string root);

    const std::string& path() const { return m_root; }
    // The users of users.ini that can HotSync, read once (in linear time) and kept.
    const std::vector<User>& users() const;
    std::optional<User> user(const std::string& name) const;
    // What is wrong with the entries of users.ini, one sentence each: a missing or invalid id or
    // directory, an id or a directory given to two users (both are then refused).
    const std::vector<std::string>& problems() const;
    // Why the section of `name` cannot HotSync, when it exists but is refused.
    std::optional<std::string> problemWith(const std::string& name) const;

    // Adds a user and creates the user's directory and the conduit's directory in it, as a HotSync
    // Manager does when it sets a user up. Throws std::runtime_error with a one-line reason.
    User addUser(const std::string& name, std::optional<uint32_t> id, std::optional<std::string> directory);
    // Takes the user out of users.ini; the user's directory and files stay where they are.
    void removeUser(const std::string& name);
    // The same id and directory under another name.
    void renameUser(const std::string& from, const std::string& to);
    // Why the user's directory cannot serve a HotSync (gone, or a file in its place), with the fix.
    std::optional<std::string> missingDirectory(const User& user) const;

    // The conduit's directory name for a creator code.
    std::string conduitDirectoryName(const std::string& creator) const;

    // The desktop file the conduit recorded in the user's settings at its last HotSync.
    std::optional<std::string> conduitFileName(const User& user) const;

    // The code page the user's last HotSync read names in (kept in the user's settings.ini).
    void rememberCodePage(const User& user, uint32_t codePage);

    // Host choices made in the configuration dialog.
    std::optional<int32_t> hostAction(const std::string& user, const char* key) const;
    void setHostAction(const std::string& user, const char* key, std::optional<int32_t> action);

    int32_t userId(const char* userName, uint32_t* id) override;
    int32_t rootDirectory(char* buffer, uint32_t* size) override;
    int32_t userDirectory(uint32_t id, char* buffer, uint32_t* size) override;
    int32_t storeSetting(uint32_t id, const char* section, const char* key, const char* value) override;
    int32_t conduitDirectory(const char* creator, char* buffer, uint32_t* size) override;

    // Why the last setting the conduit stored could not be written ("cannot write F: reason").
    const std::string& settingsProblem() const { return m_settingsProblem; }

    // The lock file of a user's HotSyncs.
    std::string hotSyncLockFile(const User& user) const;

private:
    struct Users {
        std::vector<User> valid;
        std::vector<std::string> problems;
        std::vector<std::pair<std::string, std::string>> refused; // name, why
    };
    std::string usersFile() const { return m_root + "/users.ini"; }
    const Users& loadUsers() const;
    // users.ini changed under a lock on it, so that concurrent commands lose no change.
    template <class Change> void changeUsers(Change&& change);
    std::optional<User> userById(uint32_t id) const;
    std::string noSuchUser(const std::string& name) const;
    // A directory name no root file has and nothing but a directory holds.
    bool freeForUser(const std::string& directory) const;

    std::string m_root;
    mutable std::optional<Users> m_users;
    mutable std::optional<IniFile> m_hostActions;
    std::string m_settingsProblem;
};

// Throws std::runtime_error unless `name` can name a user: one line, no ']', no blanks at its ends.
void checkUserName(const std::string& name);

// "cannot create DIR: <reason>", with the fix when the root is not writable.
std::string cannotCreate(const std::filesystem::path& directory, std::error_code error);

// The code page recorded in a user directory's settings.ini, if any.
std::optional<uint32_t> rememberedCodePage(const std::string& userDirectory);

} // namespace host

#endif
