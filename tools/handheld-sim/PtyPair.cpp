#include "PtyPair.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace sim {

PtyPair::PtyPair() {
    termios raw{};
    ::cfmakeraw(&raw);
    raw.c_cflag |= CREAD | CLOCAL;
    ::cfsetispeed(&raw, B9600);
    ::cfsetospeed(&raw, B9600);
    int far = -1;
    char name[256] = {};
    if (::openpty(&m_master, &far, name, &raw, nullptr) != 0)
        throw std::runtime_error(std::string("no pseudo-terminal: ") + std::strerror(errno));
    // Closed until the desktop opens it, so that the master sees when it does.
    ::close(far);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    m_path = name;
}

PtyPair::~PtyPair() {
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyPair::farEndOpen() const {
    // While nobody holds the far end, the master reads as hung up.
    pollfd entry{m_master, POLLOUT, 0};
    return ::poll(&entry, 1, 0) >= 0 && !(entry.revents & POLLHUP);
}

bool PtyPair::awaitFarEnd(std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!farEndOpen()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int PtyPair::takeMaster() {
    const int fd = m_master;
    m_master = -1;
    return fd;
}

} // namespace sim
