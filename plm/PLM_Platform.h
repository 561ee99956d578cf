#ifndef PLM_PLM_PLATFORM_H
#define PLM_PLM_PLATFORM_H

#include "plm/PLM_RecordBlock.h"

#include <cstdint>
#include <string>

namespace plm {

// The HotSync services the conduit calls, one interface per host library. Results follow the
// host's conventions: 0 is success unless a call says otherwise.

// The HotSync log.
class HotSyncLog_t {
public:
    virtual ~HotSyncLog_t() = default;
    // Activity 19 start, 20 finish, 21 abort, 22 failure line; flag is always 0.
    virtual void logEntry(const char* text, int32_t activity, int32_t flag) = 0;
};

// The Sync Manager: registration and read access to the handheld's databases.
class SyncManager_t {
public:
    virtual ~SyncManager_t() = default;
    virtual int32_t registerConduit(uint32_t* conduitHandle) = 0;
    virtual int32_t unregisterConduit(uint32_t conduitHandle) = 0;
    virtual int32_t openDatabase(const char* name, int32_t card, uint8_t* handle, uint8_t mode) = 0;
    virtual int32_t recordCount(uint8_t handle, uint16_t* count) = 0;
    // Reads the record at block.index into block.buffer (block.capacity bytes) and sets block.size.
    virtual int32_t readRecordByIndex(RecordBlock_t* block) = 0;
    virtual uint16_t handheldToHostWord(uint16_t value) = 0;
    virtual int32_t closeDatabase(uint8_t handle) = 0;
};

// The HotSync users and their settings.
class UserData_t {
public:
    virtual ~UserData_t() = default;
    virtual int32_t userId(const char* userName, uint32_t* id) = 0;
    // Writes the HotSync root directory, ending in a separator; greater than 0 is success.
    virtual int32_t rootDirectory(char* buffer, uint32_t* size) = 0;
    // Writes the user's directory name; 0 or more is success.
    virtual int32_t userDirectory(uint32_t id, char* buffer, uint32_t* size) = 0;
    virtual int32_t storeSetting(uint32_t id, const char* section, const char* key, const char* value) = 0;
};

// The installed conduits.
class ConduitManager_t {
public:
    virtual ~ConduitManager_t() = default;
    virtual int32_t conduitDirectory(const char* creator, char* buffer, uint32_t* size) = 0;
};

struct Platform_t {
    HotSyncLog_t* log = nullptr;
    SyncManager_t* sync = nullptr;
    UserData_t* userData = nullptr;
    ConduitManager_t* conduits = nullptr;
};

// The host installs its services before calling the conduit. A service it leaves out answers
// every call with a failure (kSyncUnavailable, or a non-success result) and its log drops entries.
// Returns the services it replaces.
Platform_t setPlatform(const Platform_t& platform);
HotSyncLog_t& hotSyncLog();
SyncManager_t& syncManager();
UserData_t& userData();
ConduitManager_t& conduitManager();

// Size of the host's text buffers.
constexpr uint32_t kPathBufferSize = 260;

// For implementations of the services: copies text and its zero byte into a caller's buffer of
// *size bytes; returns false, writing nothing, when it does not fit.
bool copyToBuffer(const std::string& text, char* buffer, const uint32_t* size);

} // namespace plm

#endif
