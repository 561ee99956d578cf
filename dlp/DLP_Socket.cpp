#include "dlp/DLP_Socket.h"

#include "dlp/DLP_ByteStream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
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

struct AddressList_t {
    addrinfo* first = nullptr;
    ~AddressList_t() {
        if (first)
            ::freeaddrinfo(first);
    }
};

// The endpoint's addresses, IPv4 first: handhelds speak IPv4, and a name such as "localhost"
// stands for both families. @exception std::invalid_argument when it names no address.
const addrinfo& resolve(const Endpoint_t& endpoint, bool passive, AddressList_t& list) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
    const std::string port = std::to_string(endpoint.port);
    if (const int failed = ::getaddrinfo(endpoint.address.c_str(), port.c_str(), &hints, &list.first))
        throw std::invalid_argument("'" + endpoint.address +
                                    "' is not an address of this machine or the network (" +
                                    ::gai_strerror(failed) + ")");
    for (const addrinfo* entry = list.first; entry; entry = entry->ai_next)
        if (entry->ai_family == AF_INET)
            return *entry;
    return *list.first;
}

// "127.0.0.1:50514", "[::1]:50514".
std::string addressText(const sockaddr* address, socklen_t size) {
    char host[NI_MAXHOST] = {}, service[NI_MAXSERV] = {};
    if (::getnameinfo(address, size, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    return address->sa_family == AF_INET6 ? "[" + std::string(host) + "]:" + service
                                          : std::string(host) + ":" + service;
}

uint16_t portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

bool isPort(const std::string& text) {
    return !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos &&
           std::stoul(text) <= 65535;
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
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (::getpeername(m_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return "?";
    return addressText(reinterpret_cast<const sockaddr*>(&address), size);
}

std::string Endpoint_t::text() const {
    return (address.find(':') != std::string::npos ? "[" + address + "]" : address) + ":" +
           std::to_string(port);
}

Endpoint_t parseEndpoint(const std::string& text, uint16_t defaultPort) {
    Endpoint_t endpoint;
    endpoint.port = defaultPort;
    std::string address = text, port;
    if (isPort(text)) { // a bare port: every interface
        address.clear();
        port = text;
    } else if (text.starts_with('[')) { // [IPv6] or [IPv6]:PORT
        const auto close = text.find(']');
        if (close == std::string::npos || (close + 1 < text.size() && text[close + 1] != ':'))
            throw std::invalid_argument("'" + text + "' is not [ADDRESS]:PORT");
        address = text.substr(1, close - 1);
        if (close + 1 < text.size())
            port = text.substr(close + 2);
        else
            port = std::to_string(defaultPort);
    } else if (const auto colon = text.rfind(':');
               colon != std::string::npos && text.find(':') == colon) { // ADDRESS:PORT, :PORT
        address = text.substr(0, colon);
        port = text.substr(colon + 1);
    } else if (text.empty()) {
        port = std::to_string(defaultPort);
    } else { // an address alone, IPv6 ones among them
        port = std::to_string(defaultPort);
    }
    if (!isPort(port))
        throw std::invalid_argument("'" + port + "' is not a port number (0 to 65535)");
    endpoint.port = static_cast<uint16_t>(std::stoul(port));
    if (!address.empty())
        endpoint.address = address;
    AddressList_t list;
    resolve(endpoint, true, list);
    return endpoint;
}

Socket_t listenOn(const Endpoint_t& endpoint) {
    AddressList_t list;
    const addrinfo& chosen = [&]() -> const addrinfo& {
        try {
            return resolve(endpoint, true, list);
        } catch (const std::invalid_argument& e) {
            throw LinkError_t(e.what());
        }
    }();
    Socket_t listener(::socket(chosen.ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.open())
        throw LinkError_t(systemErrorText("cannot make a socket"));
    const int yes = 1, no = 0;
    ::setsockopt(listener.fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    // "::" takes IPv4 handhelds too, whatever the system's default.
    if (chosen.ai_family == AF_INET6)
        ::setsockopt(listener.fd(), IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
    if (::bind(listener.fd(), chosen.ai_addr, chosen.ai_addrlen) != 0)
        throw LinkError_t(systemErrorText("cannot listen on " + endpoint.text()));
    // Handhelds that come together wait in the system's queue until the server takes them: as long
    // a queue as the system allows, so that none is refused while others are greeted.
    if (::listen(listener.fd(), SOMAXCONN) != 0)
        throw LinkError_t(systemErrorText("cannot listen"));
    return listener;
}

uint16_t boundPort(const Socket_t& listener) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    ::getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&address), &size);
    return portOf(address);
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
    AddressList_t list;
    const addrinfo* chosen = nullptr;
    try {
        chosen = &resolve(endpoint, false, list);
    } catch (const std::invalid_argument& e) {
        throw LinkError_t(e.what());
    }
    Socket_t connection(::socket(chosen->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!connection.open())
        throw LinkError_t(systemErrorText("cannot make a socket"));
    const std::string where = endpoint.text();
    if (::connect(connection.fd(), chosen->ai_addr, chosen->ai_addrlen) != 0) {
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
