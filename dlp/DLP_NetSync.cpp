#include "dlp/DLP_NetSync.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_SocketStream.h"

namespace dlp {

std::string encodeFrame(const Frame_t& frame) {
    Writer_t out;
    out.u8(kNetSyncDataType).u8(frame.transaction).u32(static_cast<uint32_t>(frame.payload.size()));
    out.bytes(frame.payload);
    return out.take();
}

NetSyncTransport_t::NetSyncTransport_t(std::unique_ptr<ByteStream_t> stream, Timeout_t timeout)
    : m_stream(std::move(stream)), m_timeout(timeout) {}

NetSyncTransport_t::NetSyncTransport_t(Socket_t socket, Timeout_t timeout)
    : NetSyncTransport_t(std::make_unique<SocketStream_t>(std::move(socket)), timeout) {}

void NetSyncTransport_t::send(const Frame_t& frame) {
    m_stream->write(encodeFrame(frame), m_timeout);
}

// A frame comes whole within its time (see answerTime), however its bytes are spaced.
Frame_t NetSyncTransport_t::receive() {
    const auto start = std::chrono::steady_clock::now();
    char header[kFrameHeaderSize];
    readExactlyBy(*m_stream, header, sizeof header, start + m_timeout, "a Net Sync frame's header",
                  m_timeout);
    Reader_t fields(std::string_view(header, sizeof header), "a Net Sync frame header");
    const uint8_t type = fields.u8();
    Frame_t frame;
    frame.transaction = fields.u8();
    const uint32_t length = fields.u32();
    if (type != kNetSyncDataType)
        throw ProtocolError_t("a Net Sync frame of type " + std::to_string(type) + " (only 1 is data)");
    if (length > kMaxPayload)
        throw ProtocolError_t("a Net Sync frame claims " + std::to_string(length) + " bytes, more than the " +
                              std::to_string(kMaxPayload) + " any answer needs");
    frame.payload.resize(length);
    const Timeout_t allowed = answerTime(m_timeout, kFrameHeaderSize + length);
    readExactlyBy(*m_stream, frame.payload.data(), length, start + allowed,
                  "a Net Sync frame of " + std::to_string(length) + " bytes", allowed, true);
    return frame;
}

} // namespace dlp
