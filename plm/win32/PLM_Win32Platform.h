#ifndef PLM_WIN32_PLM_WIN32PLATFORM_H
#define PLM_WIN32_PLM_WIN32PLATFORM_H

#include "plm/PLM_Platform.h"

namespace plm {

// The HotSync Manager's own libraries (HSLOG20, SYNC20, UserData, CONDMGR), loaded when first
// needed and called by ordinal (by name for SyncGetDBRecordCount and SyncHHToHostWord). A library
// or entry that cannot be found answers like a failed call.
class Win32Platform_t final : public HotSyncLog_t,
                              public SyncManager_t,
                              public UserData_t,
                              public ConduitManager_t {
public:
    void logEntry(const char* text, int32_t activity, int32_t flag) override;
    int32_t registerConduit(uint32_t* conduitHandle) override;
    int32_t unregisterConduit(uint32_t conduitHandle) override;
    int32_t openDatabase(const char* name, int32_t card, uint8_t* handle, uint8_t mode) override;
    int32_t recordCount(uint8_t handle, uint16_t* count) override;
    int32_t readRecordByIndex(RecordBlock_t* block) override;
    uint16_t handheldToHostWord(uint16_t value) override;
    int32_t closeDatabase(uint8_t handle) override;
    int32_t userId(const char* userName, uint32_t* id) override;
    int32_t rootDirectory(char* buffer, uint32_t* size) override;
    int32_t userDirectory(uint32_t id, char* buffer, uint32_t* size) override;
    int32_t storeSetting(uint32_t id, const char* section, const char* key, const char* value) override;
    int32_t conduitDirectory(const char* creator, char* buffer, uint32_t* size) override;

    // The one binding, as every service of the conduit's platform.
    static Platform_t services();
};

} // namespace plm

#endif
