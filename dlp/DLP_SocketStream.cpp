#include "dlp/DLP_SocketStream.h"

namespace dlp {

SocketStream_t::SocketStream_t(Socket_t socket) : m_socket(std::move(socket)), m_peer(m_socket.peerName()) {}

void SocketStream_t::write(std::string_view bytes, Timeout_t timeout) {
    m_socket.writeAll(bytes.data(), bytes.size(), timeout);
}

std::size_t SocketStream_t::readSome(char* data, std::size_t capacity, Timeout_t timeout) {
    return m_socket.readSome(data, capacity, timeout);
}

} // namespace dlp
