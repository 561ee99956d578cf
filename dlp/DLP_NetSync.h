#ifndef DLP_DLP_NETSYNC_H
#define DLP_DLP_NETSYNC_H

#include "dlp/DLP_Socket.h"

#include <cstdint>
#include <string>

namespace dlp {

// One packet of the link: a transaction id and its payload.
struct Frame_t {
    uint8_t transaction = 0;
    std::string payload;
};

// What carries packets between desktop and handheld. Net Sync over TCP is one; the serial
// stacks would be others.
class Transport_t {
public:
    virtual ~Transport_t() = default;
    // @exception LinkError_t when the packet cannot be sent.
    virtual void send(const Frame_t& frame) = 0;
    // @exception LinkError_t when nothing whole arrives within the transport's time,
    // ProtocolError_t for a packet that breaks the framing.
    virtual Frame_t receive() = 0;
};

// The largest payload a Net Sync frame may carry here: a whole 64 KB record with its answer's
// headers fits; anything longer is a broken or hostile peer.
constexpr uint32_t kMaxPayload = 0x10000 + 0x100;
constexpr std::size_t kFrameHeaderSize = 6;
constexpr uint8_t kNetSyncDataType = 1;

// Net Sync frames: u8 type (1), u8 transaction id, u32 big-endian payload length, payload.
class NetSyncTransport_t : public Transport_t {
public:
    NetSyncTransport_t(Socket_t socket, Timeout_t timeout)
        : m_socket(std::move(socket)), m_timeout(timeout) {}
    void send(const Frame_t& frame) override;
    Frame_t receive() override;
    const Socket_t& socket() const { return m_socket; }

private:
    Socket_t m_socket;
    Timeout_t m_timeout;
};

// A frame as bytes on the wire (also for tests against recorded sessions).
std::string encodeFrame(const Frame_t& frame);

} // namespace dlp

#endif
