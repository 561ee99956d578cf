#include "host/platform/FileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace host {

bool FileLock::tryLock() {
    if (m_fd < 0) {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (m_fd < 0)
            throw std::runtime_error("cannot open the lock file " + m_path + ": " + std::strerror(errno));
    }
    m_locked = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    return m_locked;
}

void FileLock::wait(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!m_locked && !tryLock()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(m_fd);
            m_fd = -1;
            throw Timeout("gave up waiting for " + m_path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileLock::~FileLock() {
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

} // namespace host
