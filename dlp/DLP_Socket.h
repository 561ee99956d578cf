#ifndef DLP_DLP_SOCKET_H
#define DLP_DLP_SOCKET_H

#include "dlp/DLP_Errors.h"

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace dlp {

using Timeout_t = std::chrono::milliseconds;

// A TCP socket, closed with the object.
class Socket_t {
public:
    Socket_t() = default;
    explicit Socket_t(int fd) : m_fd(fd) {}
    Socket_t(Socket_t&& other) noexcept : m_fd(other.release()) {}
    Socket_t& operator=(Socket_t&& other) noexcept;
    Socket_t(const Socket_t&) = delete;
    Socket_t& operator=(const Socket_t&) = delete;
    ~Socket_t();

    bool open() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    int release();

    // Reads what has arrived, at least one byte and at most `capacity`, waiting at most `timeout`.
    // @exception LinkError_t when the peer closes, fails or stays silent.
    std::size_t readSome(char* data, std::size_t capacity, Timeout_t timeout);
    // Reads exactly `count` bytes, waiting at most `timeout` for each part to arrive.
    // @exception LinkError_t when the peer closes, fails or stays silent.
    void readExactly(char* data, std::size_t count, Timeout_t timeout);
    // @exception LinkError_t when the peer is gone or takes nothing for `timeout`.
    void writeAll(const char* data, std::size_t count, Timeout_t timeout);
    // The peer's address as text ("127.0.0.1:50514").
    std::string peerName() const;

private:
    int m_fd = -1;
};

// Where to listen or connect: "ADDR:PORT", "NAME:PORT" (localhost:14238), "[IPv6]:PORT", ":PORT",
// "PORT" alone, "ADDR", "IPv6" or "" (all interfaces, the given default port). A name that has
// addresses of both families is taken as IPv4, as handhelds speak it; "::" takes both.
// @exception std::invalid_argument with the reason.
struct Endpoint_t {
    std::string address = "0.0.0.0";
    uint16_t port = 0;
    // "0.0.0.0:14238", "[::1]:14238".
    std::string text() const;
};
Endpoint_t parseEndpoint(const std::string& text, uint16_t defaultPort);

// A listening socket. @exception LinkError_t when the address cannot be bound.
Socket_t listenOn(const Endpoint_t& endpoint);
// The port a listening socket got (for port 0).
uint16_t boundPort(const Socket_t& listener);
// A connection if one arrives within `timeout`, else a closed socket.
Socket_t acceptWithin(const Socket_t& listener, Timeout_t timeout);
// @exception LinkError_t when no connection is made within `timeout`.
Socket_t connectTo(const Endpoint_t& endpoint, Timeout_t timeout);

} // namespace dlp

#endif
