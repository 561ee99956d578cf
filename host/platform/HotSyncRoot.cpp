#include "host/platform/HotSyncRoot.h"

#include "host/platform/FileLock.h"
#include "host/platform/UserDirectoryName.h"

#include "glo/GLO_Identity.h"

#include "plm/PLM_SyncErrors.h"

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace fs = std::filesystem;

namespace host {

namespace {

bool validDirectoryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<uint32_t> parseId(const std::optional<std::string>& text) {
    if (!text || text->empty() || text->size() > 10 ||
        text->find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long value = std::stoull(*text);
    if (value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

// The host's own section of a user's settings.ini, beside the conduit's.
constexpr const char* kHostSection = "Host";

} // namespace

HotSyncRoot::HotSyncRoot(std::string root) : m_root(std::move(root)) {
    while (m_root.size() > 1 && m_root.back() == '/')
        m_root.pop_back();
}

const HotSyncRoot::Users& HotSyncRoot::loadUsers() const {
    if (m_users)
        return *m_users;
    Users loaded;
    const IniFile ini = IniFile::load(usersFile());
    // Each id and directory with the first two candidates that have it.
    struct Holders {
        std::size_t first = SIZE_MAX, second = SIZE_MAX;
        void add(std::size_t candidate) { (first == SIZE_MAX ? first : second) = candidate; }
        std::size_t other(std::size_t candidate) const { return first == candidate ? second : first; }
    };
    std::unordered_map<uint32_t, Holders> byId;
    std::unordered_map<std::string_view, Holders> byDirectory;
    std::vector<User> candidates;
    candidates.reserve(ini.sections().size());
    for (const auto& [name, keys] : ini.sections()) {
        const auto idText = ini.get(name, "id");
        const auto id = parseId(idText);
        const auto directory = ini.get(name, "dir");
        std::string why;
        if (!id)
            why = idText ? "its id '" + *idText + "' is not a number from 0 to 4294967295" : "it has no id=";
        else if (!directory)
            why = "it has no dir=";
        else if (!validDirectoryName(*directory))
            why = "its directory '" + *directory + "' is not a plain directory name";
        if (!why.empty()) {
            loaded.refused.emplace_back(name, why);
            continue;
        }
        candidates.push_back({name, *id, *directory});
    }
    byId.reserve(candidates.size());
    byDirectory.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        byId[candidates[i].id].add(i);
        byDirectory[candidates[i].directory].add(i);
    }
    loaded.valid.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const User& user = candidates[i];
        const Holders& sameId = byId[user.id];
        const Holders& sameDirectory = byDirectory[user.directory];
        if (sameId.second != SIZE_MAX)
            loaded.refused.emplace_back(user.name, "its id " + std::to_string(user.id) +
                                                       " is also given to '" +
                                                       candidates[sameId.other(i)].name + "'");
        else if (sameDirectory.second != SIZE_MAX)
            loaded.refused.emplace_back(user.name, "its directory '" + user.directory +
                                                       "' is also given to '" +
                                                       candidates[sameDirectory.other(i)].name + "'");
        else
            loaded.valid.push_back(user);
    }
    for (const auto& [name, why] : loaded.refused)
        loaded.problems.push_back(usersFile() + ": user '" + name + "' is refused: " + why);
    m_users = std::move(loaded);
    return *m_users;
}

const std::vector<User>& HotSyncRoot::users() const {
    return loadUsers().valid;
}

const std::vector<std::string>& HotSyncRoot::problems() const {
    return loadUsers().problems;
}

std::optional<std::string> HotSyncRoot::problemWith(const std::string& name) const {
    for (const auto& [refused, why] : loadUsers().refused)
        if (refused == name)
            return "user '" + name + "' in " + usersFile() + " is refused: " + why;
    if (const auto found = user(name))
        return missingDirectory(*found);
    return std::nullopt;
}

std::string HotSyncRoot::hotSyncLockFile(const User& user) const {
    return m_root + "/.hotsync-" + std::to_string(user.id) + ".lock";
}

template <class Change> void HotSyncRoot::changeUsers(Change&& change) {
    const FileLock lock(m_root + "/.users.lock");
    IniFile ini = IniFile::load(usersFile());
    change(ini);
    ini.save(usersFile());
    m_users.reset();
}

std::optional<User> HotSyncRoot::user(const std::string& name) const {
    for (const User& u : users())
        if (u.name == name)
            return u;
    return std::nullopt;
}

std::optional<User> HotSyncRoot::userById(uint32_t id) const {
    for (const User& u : users())
        if (u.id == id)
            return u;
    return std::nullopt;
}

void checkUserName(const std::string& name) {
    if (name.empty() || name.find_first_of("\r\n") != std::string::npos || name.front() == ' ' ||
        name.back() == ' ' || name.find(']') != std::string::npos)
        throw std::invalid_argument("a user name must be one line, without ']' or blanks at its ends");
    if (name.size() > 127)
        throw std::invalid_argument("a user name has at most 127 characters");
}

User HotSyncRoot::addUser(const std::string& name, std::optional<uint32_t> id,
                          std::optional<std::string> directory) {
    checkUserName(name);
    m_users.reset(); // decided on the file as it is now
    const std::vector<User> existing = users();
    std::set<uint32_t> ids;
    std::set<std::string> directories;
    for (const auto& [refused, why] : loadUsers().refused)
        if (refused == name)
            throw std::runtime_error("user '" + name + "' already exists (and is refused: " + why + ")");
    const IniFile current = IniFile::load(usersFile());
    for (const auto& [section, keys] : current.sections()) {
        if (const auto taken = parseId(current.get(section, "id")))
            ids.insert(*taken);
        if (const auto directory = current.get(section, "dir"))
            directories.insert(*directory);
    }
    for (const User& u : existing) {
        if (u.name == name)
            throw std::runtime_error("user '" + name + "' already exists");
        ids.insert(u.id);
        directories.insert(u.directory);
    }
    User added{name, 0, ""};
    if (id) {
        if (ids.count(*id))
            throw std::runtime_error("user id " + std::to_string(*id) + " is taken");
        added.id = *id;
    } else {
        added.id = 1;
        while (ids.count(added.id))
            ++added.id;
    }
    if (directory) {
        if (!validDirectoryName(*directory))
            throw std::invalid_argument("'" + *directory + "' is not a directory name");
        if (directories.count(*directory))
            throw std::runtime_error("directory '" + *directory + "' belongs to another user");
        if (!freeForUser(*directory))
            throw std::runtime_error("'" + *directory + "' is a file of the HotSync root " + m_root +
                                     "; give another --dir");
        added.directory = *directory;
    } else {
        added.directory = directoryNameFor(name);
        if (directories.count(added.directory) || !freeForUser(added.directory))
            added.directory += "_" + std::to_string(added.id);
    }

    const fs::path conduitDirectory =
        fs::path(m_root) / added.directory / conduitDirectoryName(glo::CreatorCode);
    try {
        fs::create_directories(conduitDirectory);
    } catch (const fs::filesystem_error& e) {
        throw std::runtime_error(cannotCreate(conduitDirectory, e.code()));
    }
    changeUsers([&](IniFile& ini) {
        if (ini.hasSection(name))
            throw std::runtime_error("user '" + name + "' already exists");
        ini.set(name, "id", std::to_string(added.id));
        ini.set(name, "dir", added.directory);
    });
    return added;
}

void HotSyncRoot::removeUser(const std::string& name) {
    changeUsers([&](IniFile& ini) {
        if (!ini.hasSection(name))
            throw std::runtime_error(noSuchUser(name));
        ini.eraseSection(name);
    });
}

void HotSyncRoot::renameUser(const std::string& from, const std::string& to) {
    checkUserName(to);
    changeUsers([&](IniFile& ini) {
        if (!ini.hasSection(from))
            throw std::runtime_error(noSuchUser(from));
        if (!ini.renameSection(from, to))
            throw std::runtime_error("user '" + to + "' already exists");
    });
}

std::string HotSyncRoot::noSuchUser(const std::string& name) const {
    return "no user '" + name + "' in " + usersFile() + " ('pathlet users list' shows the users)";
}

bool HotSyncRoot::freeForUser(const std::string& directory) const {
    std::error_code error;
    const fs::path path = fs::path(m_root) / directory;
    return !isRootFileName(directory) &&
           (!fs::exists(fs::symlink_status(path, error)) || fs::is_directory(path, error));
}

std::optional<std::string> HotSyncRoot::missingDirectory(const User& user) const {
    std::error_code error;
    const fs::path directory = fs::path(m_root) / user.directory;
    if (fs::is_directory(directory, error))
        return std::nullopt;
    return "the directory of user '" + user.name + "', " + directory.string() +
           (fs::exists(fs::symlink_status(directory, error)) ? ", is not a directory" : ", is missing") +
           ": put it back, or run 'pathlet users remove \"" + user.name + "\"' and add the user again";
}

std::string cannotCreate(const fs::path& directory, std::error_code error) {
    std::string words = "cannot create " + directory.string() + ": " + error.message();
    if (error == std::errc::permission_denied || error == std::errc::read_only_file_system)
        words += " (the HotSync root must be writable by you; choose another with --root or PATHLET_ROOT)";
    return words;
}

std::string HotSyncRoot::conduitDirectoryName(const std::string& creator) const {
    const auto configured = IniFile::load(m_root + "/conduits.ini").get(creator, "dir");
    if (configured && validDirectoryName(*configured))
        return *configured;
    return creator == glo::CreatorCode ? glo::ConduitName : creator;
}

std::optional<std::string> HotSyncRoot::conduitFileName(const User& user) const {
    return IniFile::load(m_root + "/" + user.directory + "/settings.ini").get(glo::ConduitName, "FileName");
}

void HotSyncRoot::rememberCodePage(const User& user, uint32_t codePage) {
    const std::string file = m_root + "/" + user.directory + "/settings.ini";
    IniFile ini = IniFile::load(file);
    if (ini.get(kHostSection, "CodePage") == std::to_string(codePage))
        return;
    ini.set(kHostSection, "CodePage", std::to_string(codePage));
    ini.save(file);
}

std::optional<uint32_t> rememberedCodePage(const std::string& userDirectory) {
    const auto text = IniFile::load(userDirectory + "/settings.ini").get(kHostSection, "CodePage");
    const auto value = parseId(text);
    if (!value || *value == 0)
        return std::nullopt;
    return value;
}

std::optional<int32_t> HotSyncRoot::hostAction(const std::string& user, const char* key) const {
    if (!m_hostActions)
        m_hostActions = IniFile::load(usersFile());
    const auto value = m_hostActions->get(user, key);
    if (value == "2")
        return 2;
    if (value == "6")
        return 6;
    return std::nullopt;
}

void HotSyncRoot::setHostAction(const std::string& user, const char* key, std::optional<int32_t> action) {
    changeUsers([&](IniFile& ini) {
        if (action)
            ini.set(user, key, std::to_string(*action));
        else
            ini.erase(user, key);
    });
    m_hostActions.reset();
}

int32_t HotSyncRoot::userId(const char* userName, uint32_t* id) {
    const auto found = user(userName ? userName : "");
    if (!found)
        return plm::kSyncNotFound;
    *id = found->id;
    return 0;
}

int32_t HotSyncRoot::rootDirectory(char* buffer, uint32_t* size) {
    const std::string root = m_root + "/";
    return plm::copyToBuffer(root, buffer, size) ? static_cast<int32_t>(root.size()) : -1;
}

int32_t HotSyncRoot::userDirectory(uint32_t id, char* buffer, uint32_t* size) {
    const auto found = userById(id);
    if (!found || !plm::copyToBuffer(found->directory, buffer, size))
        return -1;
    return 0;
}

int32_t HotSyncRoot::storeSetting(uint32_t id, const char* section, const char* key, const char* value) {
    const auto found = userById(id);
    if (!found)
        return plm::kSyncNotFound;
    try {
        const std::string file = m_root + "/" + found->directory + "/settings.ini";
        IniFile ini = IniFile::load(file);
        ini.set(section, key, value);
        ini.save(file);
    } catch (const std::exception& e) {
        m_settingsProblem = e.what();
        return plm::kSyncIoError;
    }
    return 0;
}

int32_t HotSyncRoot::conduitDirectory(const char* creator, char* buffer, uint32_t* size) {
    return plm::copyToBuffer(conduitDirectoryName(creator ? creator : ""), buffer, size) ? 0
                                                                                         : plm::kSyncNotFound;
}

} // namespace host
