#ifndef PLM_DESKTOP_PLM_LINKHANDHELD_H
#define PLM_DESKTOP_PLM_LINKHANDHELD_H

#include "plm/PLM_HandheldBase.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace plm {

// The requests of the Desktop Link Protocol that a Sync Manager is made of, as a handheld on the
// other end of a link answers them. Each returns the handheld's DLP error code (0 is success).
// A link that fails throws LinkLost_t.
class DesktopLink_t {
public:
    struct LinkLost_t : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    virtual ~DesktopLink_t() = default;
    virtual uint16_t openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle) = 0;
    virtual uint16_t readOpenDbInfo(uint8_t handle, uint16_t& records) = 0;
    // The whole record at `index` into `data`.
    virtual uint16_t readRecordByIndex(uint8_t handle, uint16_t index, std::string& data) = 0;
    virtual uint16_t closeDb(uint8_t handle) = 0;
};

// DLP error codes the Sync Manager codes are made from.
enum DlpCode : uint16_t { kDlpNotFound = 5, kDlpBadHandle = 4, kDlpNoneOpen = 6, kDlpAlreadyOpen = 7 };

// A handheld at the far end of a Desktop Link: opening a database is OpenDB with the conduit's
// mode, counting is ReadOpenDBInfo, reading is ReadRecord by index, closing is CloseDB. "Not
// found" is kSyncNotFound as for a handheld of files; other errors and a lost link are read
// failures, with the reason in problem().
class LinkHandheld_t : public HandheldBase_t {
public:
    // `progress` hears of every record read (index, count). The link must outlive the handheld.
    explicit LinkHandheld_t(DesktopLink_t& link, std::function<void(uint16_t, uint16_t)> progress = {})
        : m_link(link), m_progress(std::move(progress)) {}

    int32_t openDatabase(const char* name, int32_t card, uint8_t* handle, uint8_t mode) override;
    const std::string& problem() const { return m_problem; }
    uint64_t recordsRead() const { return m_recordsRead; }

protected:
    int32_t open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) override;

private:
    class Database_t;
    DesktopLink_t& m_link;
    std::function<void(uint16_t, uint16_t)> m_progress;
    uint8_t m_mode = 0;
    uint8_t m_card = 0;
    std::string m_problem;
    uint64_t m_recordsRead = 0;
};

} // namespace plm

#endif
