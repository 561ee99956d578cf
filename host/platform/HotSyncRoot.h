#ifndef HOST_PLATFORM_HOTSYNCROOT_H
#define HOST_PLATFORM_HOTSYNCROOT_H

#include "host/platform/IniFile.h"
#include "plm/PLM_Platform.h"

#include <cstdint>
#include <optional>
#include <string>
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

    std::string m_root;
    mutable std::optional<Users> m_users;
    mutable std::optional<IniFile> m_hostActions;
};

// The code page recorded in a user directory's settings.ini, if any.
std::optional<uint32_t> rememberedCodePage(const std::string& userDirectory);

// The directory name derived from a user name: letters, digits, '-', '_' and '.'; everything else
// becomes '_'; never "." or "..", never empty.
std::string directoryNameFor(const std::string& userName);

} // namespace host

#endif
