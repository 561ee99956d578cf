#include "dlp/DLP_Socket.h"

#include "dlp/DLP_ByteStream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace dlp {

namespace {

// Waits for `events` on fd; false when the time ran out. A signal ends the wait early, so that
// Ctrl-C is noticed, and counts as no event.
bool waitFor(int fd, short events, Timeout_t timeout) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(timeout.count()));
    if (ready < 0 && errno != EINTR)
        throw LinkError_t(systemErrorText("waiting for the link"));
    return ready > 0;
}

sockaddr_in toAddress(const Endpoint_t& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    if (::inet_pton(AF_INET, endpoint.address.c_str(), &address.sin_addr) != 1)
        throw LinkError_t("'" + endpoint.address + "' is not an IPv4 address");
    return address;
}

} // namespace

Socket_t& Socket_t::operator=(Socket_t&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

Socket_t::~Socket_t() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int Socket_t::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

std::size_t Socket_t::readSome(char* data, std::size_t capacity, Timeout_t timeout) {
    for (;;) {
        if (!waitFor(m_fd, POLLIN, timeout))
            throw LinkError_t("the peer said nothing for " + secondsText(timeout));
        const ssize_t got = ::recv(m_fd, data, capacity, 0);
        if (got == 0)
            throw LinkError_t("the connection was closed");
        if (got > 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR && errno != EAGAIN)
            throw LinkError_t(systemErrorText("the connection failed"));
    }
}

void Socket_t::readExactly(char* data, std::size_t count, Timeout_t timeout) {
    while (count > 0) {
        const std::size_t got = readSome(data, count, timeout);
        data += got;
        count -= got;
    }
}

void Socket_t::writeAll(const char* data, std::size_t count, Timeout_t timeout) {
    while (count > 0) {
        if (!waitFor(m_fd, POLLOUT, timeout))
            throw LinkError_t("the peer took nothing for " + secondsText(timeout));
        const ssize_t sent = ::send(m_fd, data, count, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw LinkError_t(systemErrorText("the connection failed"));
        }
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
}

std::string Socket_t::peerName() const {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (::getpeername(m_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return "?";
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

Endpoint_t parseEndpoint(const std::string& text, uint16_t defaultPort) {
    Endpoint_t endpoint;
    endpoint.port = defaultPort;
    const auto colon = text.rfind(':');
    const std::string address = colon == std::string::npos ? text : text.substr(0, colon);
    if (!address.empty())
        endpoint.address = address;
    if (colon != std::string::npos) {
        const std::string port = text.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(port) > 65535)
            throw std::invalid_argument("'" + port + "' is not a port number (0 to 65535)");
        endpoint.port = static_cast<uint16_t>(std::stoul(port));
    }
    in_addr parsed{};
    if (::inet_pton(AF_INET, endpoint.address.c_str(), &parsed) != 1)
        throw std::invalid_argument("'" + endpoint.address + "' is not an IPv4 address");
    return endpoint;
}

Socket_t listenOn(const Endpoint_t& endpoint) {
    Socket_t listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.open())
        throw LinkError_t(systemErrorText("cannot make a socket"));
    const int yes = 1;
    ::setsockopt(listener.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const sockaddr_in address = toAddress(endpoint);
    if (::bind(listener.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw LinkError_t(
            systemErrorText("cannot listen on " + endpoint.address + ":" + std::to_string(endpoint.port)));
    if (::listen(listener.fd(), 16) != 0)
        throw LinkError_t(systemErrorText("cannot listen"));
    return listener;
}

uint16_t boundPort(const Socket_t& listener) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    ::getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

Socket_t acceptWithin(const Socket_t& listener, Timeout_t timeout) {
    if (!waitFor(listener.fd(), POLLIN, timeout))
        return Socket_t();
    Socket_t connection(::accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    if (connection.open()) {
        const int yes = 1; // requests and answers are small: send them at once
        ::setsockopt(connection.fd(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    }
    return connection;
}

Socket_t connectTo(const Endpoint_t& endpoint, Timeout_t timeout) {
    Socket_t connection(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!connection.open())
        throw LinkError_t(systemErrorText("cannot make a socket"));
    const sockaddr_in address = toAddress(endpoint);
    const std::string where = endpoint.address + ":" + std::to_string(endpoint.port);
    if (::connect(connection.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS)
            throw LinkError_t(systemErrorText("cannot connect to " + where));
        if (!waitFor(connection.fd(), POLLOUT, timeout))
            throw LinkError_t("no answer from " + where);
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(connection.fd(), SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0) {
            errno = error;
            throw LinkError_t(systemErrorText("cannot connect to " + where));
        }
    }
    const int yes = 1;
    ::setsockopt(connection.fd(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return connection;
}

} // namespace dlp
