#include "HotSyncRoot.h"

#include "glo/GLO_Identity.h"

#include "plm/PLM_SyncErrors.h"

#include <filesystem>
#include <set>
#include <stdexcept>

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

} // namespace

std::string directoryNameFor(const std::string& userName) {
    std::string name;
    for (const char c : userName) {
        const auto u = static_cast<unsigned char>(c);
        name.push_back(std::isalnum(u) && u < 0x80 ? c : (c == '-' || c == '_' || c == '.') ? c : '_');
    }
    while (!name.empty() && name[0] == '.')
        name.erase(0, 1);
    return name.empty() ? std::string("user") : name;
}

HotSyncRoot::HotSyncRoot(std::string root) : m_root(std::move(root)) {
    while (m_root.size() > 1 && m_root.back() == '/')
        m_root.pop_back();
}

std::vector<User> HotSyncRoot::users() const {
    std::vector<User> result;
    const IniFile ini = IniFile::load(usersFile());
    for (const auto& [name, keys] : ini.sections()) {
        const auto id = parseId(ini.get(name, "id"));
        const auto directory = ini.get(name, "dir");
        if (id && directory && validDirectoryName(*directory))
            result.push_back({name, *id, *directory});
    }
    return result;
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

User HotSyncRoot::addUser(const std::string& name, std::optional<uint32_t> id,
                          std::optional<std::string> directory) {
    if (name.empty() || name.find_first_of("\r\n") != std::string::npos || name.front() == ' ' ||
        name.back() == ' ' || name.find(']') != std::string::npos)
        throw std::runtime_error("a user name must be one line, without ']' or blanks at its ends");
    if (name.size() > 127)
        throw std::runtime_error("a user name has at most 127 characters");
    const std::vector<User> existing = users();
    std::set<uint32_t> ids;
    std::set<std::string> directories;
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
            throw std::runtime_error("'" + *directory + "' is not a directory name");
        if (directories.count(*directory))
            throw std::runtime_error("directory '" + *directory + "' belongs to another user");
        added.directory = *directory;
    } else {
        added.directory = directoryNameFor(name);
        if (directories.count(added.directory))
            added.directory += "_" + std::to_string(added.id);
    }

    fs::create_directories(fs::path(m_root) / added.directory / conduitDirectoryName(glo::CreatorCode));
    IniFile ini = IniFile::load(usersFile());
    ini.set(name, "id", std::to_string(added.id));
    ini.set(name, "dir", added.directory);
    ini.save(usersFile());
    return added;
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

std::optional<int32_t> HotSyncRoot::hostAction(const std::string& user, const char* key) const {
    const auto value = IniFile::load(usersFile()).get(user, key);
    if (value == "2")
        return 2;
    if (value == "6")
        return 6;
    return std::nullopt;
}

void HotSyncRoot::setHostAction(const std::string& user, const char* key, std::optional<int32_t> action) {
    IniFile ini = IniFile::load(usersFile());
    if (action)
        ini.set(user, key, std::to_string(*action));
    else
        ini.erase(user, key);
    ini.save(usersFile());
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
    } catch (const std::exception&) {
        return plm::kSyncIoError;
    }
    return 0;
}

int32_t HotSyncRoot::conduitDirectory(const char* creator, char* buffer, uint32_t* size) {
    return plm::copyToBuffer(conduitDirectoryName(creator ? creator : ""), buffer, size) ? 0
                                                                                         : plm::kSyncNotFound;
}

} // namespace host
