#include "host/link/DlpLink.h"

namespace host {

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

uint16_t DlpLink::openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle) {
    return guarded([&] { return m_session.openDb(name, card, mode, handle); });
}

uint16_t DlpLink::readOpenDbInfo(uint8_t handle, uint16_t& records) {
    return guarded([&] { return m_session.readOpenDbInfo(handle, records); });
}

uint16_t DlpLink::readRecordByIndex(uint8_t handle, uint16_t index, std::string& data) {
    return guarded([&] {
        dlp::Record_t record;
        const uint16_t code = m_session.readRecordByIndex(handle, index, record);
        data = std::move(record.data);
        return code;
    });
}

uint16_t DlpLink::closeDb(uint8_t handle) {
    return guarded([&] { return m_session.closeDb(handle); });
}

} // namespace host
