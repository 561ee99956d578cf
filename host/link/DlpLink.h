#ifndef HOST_LINK_DLPLINK_H
#define HOST_LINK_DLPLINK_H

#include "dlp/DLP_Desktop.h"
#include "plm/desktop/PLM_LinkHandheld.h"

namespace host {

// The Sync Manager's Desktop Link requests sent over a session; a failed link or a broken answer
// becomes the Sync Manager's lost link.
class DlpLink : public plm::DesktopLink_t {
public:
    explicit DlpLink(dlp::DesktopSession_t& session) : m_session(session) {}
    uint16_t openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle) override;
    uint16_t readOpenDbInfo(uint8_t handle, uint16_t& records) override;
    uint16_t readRecordByIndex(uint8_t handle, uint16_t index, std::string& data) override;
    uint16_t closeDb(uint8_t handle) override;

    // Whether the link failed (then nothing more can be sent).
    bool lost() const { return m_lost; }

private:
    template <class Call> uint16_t guarded(Call&& call);
    dlp::DesktopSession_t& m_session;
    bool m_lost = false;
};

} // namespace host

#endif
