#include "plm/desktop/PLM_LinkHandheld.h"

#include "plm/PLM_SyncErrors.h"

#include <cstring>

namespace plm {

namespace {

std::string dlpError(uint16_t code) {
    return "the handheld answered with error " + std::to_string(code);
}

} // namespace

// An open database on the handheld; closed on the handheld when the conduit closes it.
class LinkHandheld_t::Database_t : public HandheldDatabase_t {
public:
    Database_t(LinkHandheld_t& owner, uint8_t handle, uint16_t records, std::string name)
        : m_owner(owner), m_link(owner.m_link), m_handle(handle), m_records(records),
          m_name(std::move(name)) {}
    // A database the conduit left open goes with the handheld's base part, after the rest of the
    // handheld: only the link, which outlives the handheld, is used here.
    ~Database_t() override {
        try {
            m_link.closeDb(m_handle);
        } catch (const DesktopLink_t::LinkLost_t&) {
            // the link is gone, and the database with it
        }
    }

    uint16_t recordCount() const override { return m_records; }

    int32_t readRecord(uint16_t index, char* buffer, uint16_t capacity, uint32_t* size) override {
        std::string data;
        uint16_t code = 0;
        try {
            code = m_owner.m_link.readRecordByIndex(m_handle, index, data);
        } catch (const DesktopLink_t::LinkLost_t& e) {
            m_owner.m_problem = "the link to the handheld was lost reading record " + std::to_string(index) +
                                " of " + m_name + ": " + e.what();
            return kSyncIoError;
        }
        if (code) {
            m_owner.m_problem =
                "record " + std::to_string(index) + " of " + m_name + " could not be read: " + dlpError(code);
            return code == kDlpNotFound ? kSyncBadIndex : kSyncIoError;
        }
        if (data.size() > capacity) {
            m_owner.m_problem = "record " + std::to_string(index) + " of " + m_name + " has " +
                                std::to_string(data.size()) + " bytes, more than a record can hold (" +
                                std::to_string(capacity) + ")";
            return kSyncRecordTooLong;
        }
        std::memcpy(buffer, data.data(), data.size());
        *size = static_cast<uint32_t>(data.size());
        ++m_owner.m_recordsRead;
        if (m_owner.m_progress)
            m_owner.m_progress(index, m_records);
        return kSyncOk;
    }

private:
    LinkHandheld_t& m_owner;
    DesktopLink_t& m_link;
    uint8_t m_handle;
    uint16_t m_records;
    std::string m_name;
};

int32_t LinkHandheld_t::openDatabase(const char* name, int32_t card, uint8_t* handle, uint8_t mode) {
    m_mode = mode;
    m_card = static_cast<uint8_t>(card);
    return HandheldBase_t::openDatabase(name, card, handle, mode);
}

int32_t LinkHandheld_t::open(const std::string& name, std::unique_ptr<HandheldDatabase_t>& database) {
    m_problem.clear();
    try {
        uint8_t handle = 0;
        if (const uint16_t code = m_link.openDb(name, m_card, m_mode, handle)) {
            m_problem = code == kDlpNotFound ? "no " + name + " on the handheld"
                                             : name + " could not be opened: " + dlpError(code);
            return code == kDlpNotFound ? kSyncNotFound : kSyncIoError;
        }
        uint16_t records = 0;
        if (const uint16_t code = m_link.readOpenDbInfo(handle, records)) {
            m_link.closeDb(handle);
            m_problem = "the records of " + name + " could not be counted: " + dlpError(code);
            return kSyncIoError;
        }
        database = std::make_unique<Database_t>(*this, handle, records, name);
        return kSyncOk;
    } catch (const DesktopLink_t::LinkLost_t& e) {
        m_problem = "the link to the handheld was lost opening " + name + ": " + e.what();
        return kSyncIoError;
    }
}

} // namespace plm
