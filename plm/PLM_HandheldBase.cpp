#include "plm/PLM_HandheldBase.h"

#include "plm/PLM_SyncErrors.h"

namespace plm {

void HandheldBase_t::failCall(Call call, int32_t code, int skip, bool always) {
    m_failures[static_cast<std::size_t>(call)] = {code, skip, always, true};
}

int32_t HandheldBase_t::injected(Call call) {
    Failure& failure = m_failures[static_cast<std::size_t>(call)];
    if (!failure.armed)
        return kSyncOk;
    if (failure.skip > 0) {
        --failure.skip;
        return kSyncOk;
    }
    if (!failure.always)
        failure.armed = false;
    return failure.code;
}

int32_t HandheldBase_t::registerConduit(uint32_t* conduitHandle) {
    if (const int32_t code = injected(Call::Register))
        return code;
    *conduitHandle = m_nextConduitHandle++;
    ++m_registrations;
    return kSyncOk;
}

int32_t HandheldBase_t::unregisterConduit(uint32_t) {
    if (const int32_t code = injected(Call::Unregister))
        return code;
    if (m_registrations > 0)
        --m_registrations;
    return kSyncOk;
}

int32_t HandheldBase_t::openDatabase(const char* name, int32_t, uint8_t* handle, uint8_t) {
    if (const int32_t code = injected(Call::Open))
        return code;
    std::unique_ptr<HandheldDatabase_t> database;
    if (const int32_t code = open(name ? name : "", database))
        return code;
    for (unsigned candidate = 1; candidate <= 255; ++candidate) {
        const auto h = static_cast<uint8_t>(candidate);
        if (!m_open.count(h)) {
            m_open.emplace(h, std::move(database));
            *handle = h;
            return kSyncOk;
        }
    }
    return kSyncTooManyOpen;
}

int32_t HandheldBase_t::recordCount(uint8_t handle, uint16_t* count) {
    if (const int32_t code = injected(Call::Count))
        return code;
    auto found = m_open.find(handle);
    if (found == m_open.end())
        return kSyncBadHandle;
    *count = found->second->recordCount();
    return kSyncOk;
}

int32_t HandheldBase_t::readRecordByIndex(RecordBlock_t* block) {
    if (const int32_t code = injected(Call::Read))
        return code;
    auto found = m_open.find(block->databaseHandle);
    if (found == m_open.end())
        return kSyncBadHandle;
    if (block->index >= found->second->recordCount())
        return kSyncBadIndex;
    // The block is packed: its fields are copied, never addressed.
    uint32_t size = 0;
    const int32_t code = found->second->readRecord(block->index, block->buffer, block->capacity, &size);
    if (code == kSyncOk)
        block->size = size;
    return code;
}

int32_t HandheldBase_t::closeDatabase(uint8_t handle) {
    if (const int32_t code = injected(Call::Close))
        return code;
    return m_open.erase(handle) ? kSyncOk : kSyncBadHandle;
}

} // namespace plm
