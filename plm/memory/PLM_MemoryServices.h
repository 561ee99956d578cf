#ifndef PLM_MEMORY_PLM_MEMORYSERVICES_H
#define PLM_MEMORY_PLM_MEMORYSERVICES_H

#include "glo/GLO_Identity.h"
#include "plm/PLM_Platform.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace plm {

// A HotSync log that keeps its entries.
class MemoryHotSyncLog_t : public HotSyncLog_t {
public:
    struct Entry {
        std::string text;
        int32_t activity;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    void logEntry(const char* text, int32_t activity, int32_t) override {
        entries.push_back({text, activity});
    }
    std::vector<Entry> entries;
};

// Users, directories and settings held in memory; any call can be made to fail.
class MemoryUserData_t : public UserData_t {
public:
    void addUser(const std::string& name, uint32_t id, const std::string& directory) {
        m_ids[name] = id;
        m_directories[id] = directory;
    }
    void setRoot(const std::string& root) { m_root = root; }

    // Results to return instead of answering (0 answers normally).
    int32_t failUserId = 0;
    int32_t failRoot = 0;          // a result <= 0 fails
    int32_t failUserDirectory = 0; // a negative result fails
    int32_t failStore = 0;

    int32_t userId(const char* userName, uint32_t* id) override;
    int32_t rootDirectory(char* buffer, uint32_t* size) override;
    int32_t userDirectory(uint32_t id, char* buffer, uint32_t* size) override;
    int32_t storeSetting(uint32_t id, const char* section, const char* key, const char* value) override;

    // Settings stored, by user id: (section, key) -> value; and how many stores were made.
    std::map<uint32_t, std::map<std::pair<std::string, std::string>, std::string>> settings;
    int stores = 0;

private:
    std::map<std::string, uint32_t> m_ids;
    std::map<uint32_t, std::string> m_directories;
    std::string m_root = "/hotsync/";
};

// Conduit directories by creator code.
class MemoryConduitManager_t : public ConduitManager_t {
public:
    std::map<std::string, std::string> directories{{glo::CreatorCode, glo::ConduitName}};
    int32_t conduitDirectory(const char* creator, char* buffer, uint32_t* size) override;
};

} // namespace plm

#endif
