#ifndef DLP_DLP_NETSYNC_H
#define DLP_DLP_NETSYNC_H

#include "dlp/DLP_ByteStream.h"
#include "dlp/DLP_Socket.h"
#include "dlp/DLP_Transport.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dlp {

// The TCP port handhelds set to network HotSync connect to.
constexpr uint16_t kNetSyncPort = 14238;

// The largest payload a Net Sync frame may carry here: a whole 64 KB record with its answer's
// headers fits; anything longer is a broken or hostile peer.
constexpr uint32_t kMaxPayload = 0x10000 + 0x100;
constexpr std::size_t kFrameHeaderSize = 6;
constexpr uint8_t kNetSyncDataType = 1;

// Net Sync frames: u8 type (1), u8 transaction id, u32 big-endian payload length, payload. The
// same framing runs over TCP, over the bulk endpoints of a USB handheld and over a tty.
class NetSyncTransport_t : public Transport_t {
public:
    NetSyncTransport_t(std::unique_ptr<ByteStream_t> stream, Timeout_t timeout);
    // A TCP connection's own stream.
    NetSyncTransport_t(Socket_t socket, Timeout_t timeout);
    // Each frame is one write, header and payload together: on USB one OUT transfer carries
    // exactly one frame, which some handhelds need.
    void send(const Frame_t& frame) override;
    Frame_t receive() override;
    ByteStream_t& stream() { return *m_stream; }

private:
    std::unique_ptr<ByteStream_t> m_stream;
    Timeout_t m_timeout;
};

// A frame as bytes on the wire (also for tests against recorded sessions).
std::string encodeFrame(const Frame_t& frame);

} // namespace dlp

#endif
