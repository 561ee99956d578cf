#include "plm/memory/PLM_MemoryServices.h"

#include "plm/PLM_SyncErrors.h"

#include <cstring>

namespace plm {

int32_t MemoryUserData_t::userId(const char* userName, uint32_t* id) {
    if (failUserId)
        return failUserId;
    auto found = m_ids.find(userName ? userName : "");
    if (found == m_ids.end())
        return kSyncNotFound;
    *id = found->second;
    return 0;
}

int32_t MemoryUserData_t::rootDirectory(char* buffer, uint32_t* size) {
    if (failRoot)
        return failRoot;
    return copyToBuffer(m_root, buffer, size) ? static_cast<int32_t>(m_root.size()) : -1;
}

int32_t MemoryUserData_t::userDirectory(uint32_t id, char* buffer, uint32_t* size) {
    if (failUserDirectory)
        return failUserDirectory;
    auto found = m_directories.find(id);
    if (found == m_directories.end() || !copyToBuffer(found->second, buffer, size))
        return -1;
    return 0;
}

int32_t MemoryUserData_t::storeSetting(uint32_t id, const char* section, const char* key, const char* value) {
    if (failStore)
        return failStore;
    settings[id][{section, key}] = value;
    ++stores;
    return 0;
}

int32_t MemoryConduitManager_t::conduitDirectory(const char* creator, char* buffer, uint32_t* size) {
    auto found = directories.find(creator ? creator : "");
    if (found == directories.end() || !copyToBuffer(found->second, buffer, size))
        return kSyncNotFound;
    return 0;
}

} // namespace plm
