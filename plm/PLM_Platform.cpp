#include "plm/PLM_Platform.h"

#include "plm/PLM_SyncErrors.h"

#include <cstring>
#include <utility>

namespace plm {

namespace {

// Stand-ins for services the host did not provide: every call fails.
class AbsentServices_t final : public HotSyncLog_t,
                               public SyncManager_t,
                               public UserData_t,
                               public ConduitManager_t {
public:
    void logEntry(const char*, int32_t, int32_t) override {}
    int32_t registerConduit(uint32_t*) override { return kSyncUnavailable; }
    int32_t unregisterConduit(uint32_t) override { return kSyncUnavailable; }
    int32_t openDatabase(const char*, int32_t, uint8_t*, uint8_t) override { return kSyncUnavailable; }
    int32_t recordCount(uint8_t, uint16_t*) override { return kSyncUnavailable; }
    int32_t readRecordByIndex(RecordBlock_t*) override { return kSyncUnavailable; }
    uint16_t handheldToHostWord(uint16_t value) override { return value; }
    int32_t closeDatabase(uint8_t) override { return kSyncUnavailable; }
    int32_t userId(const char*, uint32_t*) override { return kSyncUnavailable; }
    int32_t rootDirectory(char*, uint32_t*) override { return -1; }
    int32_t userDirectory(uint32_t, char*, uint32_t*) override { return -1; }
    int32_t storeSetting(uint32_t, const char*, const char*, const char*) override {
        return kSyncUnavailable;
    }
    int32_t conduitDirectory(const char*, char*, uint32_t*) override { return kSyncUnavailable; }
};

AbsentServices_t g_absent;
Platform_t g_platform;

} // namespace

bool copyToBuffer(const std::string& text, char* buffer, const uint32_t* size) {
    if (!buffer || !size || text.size() + 1 > *size)
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

Platform_t setPlatform(const Platform_t& platform) {
    return std::exchange(g_platform, platform);
}
HotSyncLog_t& hotSyncLog() {
    return g_platform.log ? *g_platform.log : g_absent;
}
SyncManager_t& syncManager() {
    return g_platform.sync ? *g_platform.sync : g_absent;
}
UserData_t& userData() {
    return g_platform.userData ? *g_platform.userData : g_absent;
}
ConduitManager_t& conduitManager() {
    return g_platform.conduits ? *g_platform.conduits : g_absent;
}

} // namespace plm
