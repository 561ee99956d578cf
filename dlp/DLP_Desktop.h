#ifndef DLP_DLP_DESKTOP_H
#define DLP_DLP_DESKTOP_H

#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Packet.h"
#include "dlp/DLP_Values.h"

#include <cstdint>
#include <string>

namespace dlp {

// The desktop's frames of the Net Sync handshake, as desktops send them.
extern const std::string kDesktopHello;   // transaction 1, after the handheld's first frame
extern const std::string kDesktopConfirm; // transaction 2

// The desktop's side of a session: the handshake, then one request at a time, each answer
// checked to be the answer to it (same transaction, same function) before it is used.
class DesktopSession_t {
public:
    explicit DesktopSession_t(Transport_t& transport) : m_transport(transport) {}

    // @exception LinkError_t, ProtocolError_t when the handheld does not open a session.
    void handshake();
    // Goes on from a handshake another session on the same transport did (the server greets a
    // network handheld before its HotSync begins): the next request is numbered after it.
    void continueAfterHandshake() { m_transaction = kHandshakeTransactions; }

    // Sends the request and returns the handheld's answer (which may carry a DLP error).
    // @exception LinkError_t, ProtocolError_t.
    Response_t call(const Request_t& request);

    SysInfo_t readSysInfo();
    UserInfo_t readUserInfo();
    // A DLP error code; 0 with `list` filled.
    uint16_t readDbList(uint8_t flags, uint8_t card, uint16_t start, DbList_t& list);
    uint16_t openDb(const std::string& name, uint8_t card, uint8_t mode, uint8_t& handle);
    uint16_t readOpenDbInfo(uint8_t handle, uint16_t& records);
    // The whole record (offset 0, as many bytes as it has).
    uint16_t readRecordByIndex(uint8_t handle, uint16_t index, Record_t& record);
    uint16_t closeDb(uint8_t handle);
    uint16_t openConduit();
    uint16_t addSyncLogEntry(const std::string& text);
    // Ends the sync; the handheld then closes the connection.
    uint16_t endOfSync(uint16_t code = 0);

    // Requests sent so far (each one round trip).
    uint64_t roundTrips() const { return m_roundTrips; }

private:
    static constexpr uint8_t kHandshakeTransactions = 2;
    uint8_t nextTransaction();
    Transport_t& m_transport;
    // The serial stack has no handshake and begins at 1; handshake() leaves 2 behind it.
    uint8_t m_transaction = 0;
    uint64_t m_roundTrips = 0;
};

// Raises ProtocolError_t unless the answer carries argument `id` (named `what` in the error).
const std::string& requireArgument(const Response_t& response, uint8_t id, const char* what);

} // namespace dlp

#endif
