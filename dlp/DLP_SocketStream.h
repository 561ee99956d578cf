#ifndef DLP_DLP_SOCKETSTREAM_H
#define DLP_DLP_SOCKETSTREAM_H

#include "dlp/DLP_ByteStream.h"
#include "dlp/DLP_Socket.h"

namespace dlp {

// A TCP connection (or any stream socket) as a link's bytes; the socket closes with the stream.
class SocketStream_t : public ByteStream_t {
public:
    explicit SocketStream_t(Socket_t socket);
    void write(std::string_view bytes, Timeout_t timeout) override;
    std::size_t readSome(char* data, std::size_t capacity, Timeout_t timeout) override;
    // The peer's address, taken when the stream was made ("127.0.0.1:50514").
    std::string describe() const override { return m_peer; }
    const Socket_t& socket() const { return m_socket; }

private:
    Socket_t m_socket;
    std::string m_peer;
};

} // namespace dlp

#endif
