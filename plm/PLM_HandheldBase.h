#ifndef PLM_PLM_HANDHELDBASE_H
#define PLM_PLM_HANDHELDBASE_H

#include "plm/PLM_Platform.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace plm {

// One open database of a handheld of our own: records served by index.
class HandheldDatabase_t {
public:
    virtual ~HandheldDatabase_t() = default;
    virtual uint16_t recordCount() const = 0;
    // Copies record `index` into buffer and sets size; a Sync Manager code on failure.
    virtual int32_t readRecord(uint16_t index, char* buffer, uint16_t capacity, uint32_t* size) = 0;
};

// The Sync Manager of a handheld of our own: registration, handles, and failure injection for
// tests. Subclasses say how a database is found by name.
class HandheldBase_t : public SyncManager_t {
public:
    enum class Call { Register, Unregister, Open, Count, Read, Close, Count_ };

    // Makes the `skip`+1-th call of the kind from now on fail with `code` (once, or always).
    void failCall(Call call, int32_t code, int skip = 0, bool always = false);

    int32_t registerConduit(uint32_t* conduitHandle) override;
    int32_t unregisterConduit(uint32_t conduitHandle) override;
    int32_t openDatabase(const char* name, int32_t card, uint8_t* handle, uint8_t mode) override;
    int32_t recordCount(uint8_t handle, uint16_t* count) override;
    int32_t readRecordByIndex(RecordBlock_t* block) override;
    uint16_t handheldToHostWord(uint16_t value) override {
        return static_cast<uint16_t>((value << 8) | (value >> 8));
    }
    int32_t closeDatabase(uint8_t handle) override;

    int openDatabases() const { return static_cast<int>(m_open.size()); }
    int registrations() const { return m_registrations; }

protected:
    // Opens the database of that name, or returns a code (kSyncNotFound, kSyncBadDatabase, ...).
    virtual int32_t open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) = 0;

private:
    struct Failure {
        int32_t code = 0;
        int skip = 0;
        bool always = false;
        bool armed = false;
    };
    int32_t injected(Call call);

    std::array<Failure, static_cast<std::size_t>(Call::Count_)> m_failures{};
    std::map<uint8_t, std::unique_ptr<HandheldDatabase_t>> m_open;
    int m_registrations = 0;
    uint32_t m_nextConduitHandle = 1;
};

} // namespace plm

#endif
