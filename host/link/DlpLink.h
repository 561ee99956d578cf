#ifndef HOST_LINK_DLPLINK_H
#define HOST_LINK_DLPLINK_H

#include "dlp/DLP_Desktop.h"
#include "plm/desktop/PLM_LinkHandheld.h"

#include <cstdint>
#include <optional>
#include <string>

namespace host {

// What one handheld may make the desktop take in, on every link: the records of its database
// (the most a DLP count holds), the bytes of one record (the most a record can hold) and the
// bytes of all its records together. The largest handhelds ever made held 256 MB in all; twice
// that is taken, and a database that claims more is refused whole.
struct HoldLimits_t {
    static constexpr uint64_t kDefaultTotalBytes = 512ull << 20;
    uint32_t records = 65535;
    uint32_t recordBytes = 65535;
    uint64_t totalBytes = kDefaultTotalBytes;
};

// The Sync Manager's Desktop Link requests sent over a session; a failed link or a broken answer
// becomes the Sync Manager's lost link, and so does a database beyond the limits (refused()
// then says why, and the link still serves to close the database and end the sync).
class DlpLink : public plm::DesktopLink_t {
public:
    explicit DlpLink(dlp::DesktopSession_t& session, const HoldLimits_t& limits = {})
        : m_session(session), m_limits(limits) {}
    uint16_t openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle) override;
    uint16_t readOpenDbInfo(uint8_t handle, uint16_t& records) override;
    uint16_t readRecordByIndex(uint8_t handle, uint16_t index, std::string& data) override;
    uint16_t closeDb(uint8_t handle) override;

    // Whether the link failed (then nothing more can be sent).
    bool lost() const { return m_lost; }
    // Why the handheld's database was refused, in words for the desktop and the handheld.
    const std::optional<std::string>& refused() const { return m_refused; }
    uint64_t bytesRead() const { return m_bytesRead; }

private:
    template <class Call> uint16_t guarded(Call&& call);
    [[noreturn]] void refuse(const std::string& why);
    dlp::DesktopSession_t& m_session;
    HoldLimits_t m_limits;
    std::string m_database;
    bool m_lost = false;
    std::optional<std::string> m_refused;
    uint64_t m_bytesRead = 0;
};

// "512 MB", "1.5 MB", "300 bytes".
std::string sizeWords(uint64_t bytes);

} // namespace host

#endif
