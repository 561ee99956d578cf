#include "plm/memory/PLM_MemoryHandheld.h"

#include "plm/PLM_SyncErrors.h"

#include <cstring>

namespace plm {

namespace {

class MemoryDatabase_t : public HandheldDatabase_t {
public:
    explicit MemoryDatabase_t(const std::vector<std::string>& records) : m_records(records) {}
    uint16_t recordCount() const override {
        return static_cast<uint16_t>(m_records.size() > 0xFFFF ? 0xFFFF : m_records.size());
    }
    int32_t readRecord(uint16_t index, char* buffer, uint16_t capacity, uint32_t* size) override {
        const std::string& record = m_records[index];
        if (record.size() > capacity)
            return kSyncRecordTooLong;
        std::memcpy(buffer, record.data(), record.size());
        *size = static_cast<uint32_t>(record.size());
        return kSyncOk;
    }

private:
    const std::vector<std::string>& m_records;
};

} // namespace

int32_t MemoryHandheld_t::open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) {
    auto found = m_databases.find(name);
    if (found == m_databases.end())
        return kSyncNotFound;
    database = std::make_unique<MemoryDatabase_t>(found->second);
    return kSyncOk;
}

} // namespace plm
