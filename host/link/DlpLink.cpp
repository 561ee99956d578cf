#include "host/link/DlpLink.h"

#include <cstdio>

namespace host {

std::string sizeWords(uint64_t bytes) {
    constexpr uint64_t kMegabyte = 1ull << 20;
    if (bytes < kMegabyte)
        return std::to_string(bytes) + " bytes";
    char text[48];
    if (bytes % kMegabyte == 0)
        std::snprintf(text, sizeof text, "%llu MB", static_cast<unsigned long long>(bytes / kMegabyte));
    else
        std::snprintf(text, sizeof text, "%.1f MB",
                      static_cast<double>(bytes) / static_cast<double>(kMegabyte));
    return text;
}

template <class Call> uint16_t DlpLink::guarded(Call&& call) {
    if (m_lost)
        throw LinkLost_t("the link was lost before");
    try {
        return call();
    } catch (const dlp::LinkError_t& e) {
        m_lost = true;
        throw LinkLost_t(e.what());
    } catch (const dlp::ProtocolError_t& e) {
        m_lost = true; // after a broken answer nothing on the link can be trusted
        throw LinkLost_t(e.what());
    }
}

// The Sync Manager sees a lost link, so the conduit fails and keeps the old file; the link itself
// is sound, and the sync is still ended on it.
void DlpLink::refuse(const std::string& why) {
    if (!m_refused)
        m_refused = why + "; nothing was copied, the old Tracks.tlx is kept";
    throw LinkLost_t(*m_refused);
}

uint16_t DlpLink::openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle) {
    m_database = name;
    return guarded([&] { return m_session.openDb(name, card, mode, handle); });
}

uint16_t DlpLink::readOpenDbInfo(uint8_t handle, uint16_t& records) {
    const uint16_t code = guarded([&] { return m_session.readOpenDbInfo(handle, records); });
    if (code == 0 && records > m_limits.records) {
        guarded([&] { return m_session.closeDb(handle); });
        refuse("the handheld's " + m_database + " has " + std::to_string(records) +
               " records, more than the " + std::to_string(m_limits.records) + " this desktop takes");
    }
    return code;
}

uint16_t DlpLink::readRecordByIndex(uint8_t handle, uint16_t index, std::string& data) {
    if (m_refused)
        throw LinkLost_t(*m_refused);
    const uint16_t code = guarded([&] {
        dlp::Record_t record;
        const uint16_t code = m_session.readRecordByIndex(handle, index, record);
        data = std::move(record.data);
        return code;
    });
    if (code != 0)
        return code;
    if (data.size() > m_limits.recordBytes)
        refuse("record " + std::to_string(index) + " of the handheld's " + m_database + " has " +
               std::to_string(data.size()) + " bytes, more than the " + std::to_string(m_limits.recordBytes) +
               " a record may have");
    m_bytesRead += data.size();
    if (m_bytesRead > m_limits.totalBytes)
        refuse("the handheld's " + m_database + " holds more than " + sizeWords(m_limits.totalBytes) +
               ", the most this desktop takes from a handheld (--max-size)");
    return code;
}

uint16_t DlpLink::closeDb(uint8_t handle) {
    return guarded([&] { return m_session.closeDb(handle); });
}

} // namespace host
