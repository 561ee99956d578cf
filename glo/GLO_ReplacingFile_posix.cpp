#include "glo/GLO_ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace glo {

namespace file_ops {

Handle_t createExclusive(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    error = fd < 0 ? errno : 0;
    return fd < 0 ? kNoHandle : fd;
}

bool writeAll(Handle_t handle, const char* data, std::size_t size, int& error) {
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(handle), data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool flushAndClose(Handle_t handle, int& error) {
    const int fd = static_cast<int>(handle);
    const bool flushed = ::fsync(fd) == 0;
    if (!flushed)
        error = errno;
    if (::close(fd) != 0 && flushed) {
        error = errno;
        return false;
    }
    return flushed;
}

void closeQuietly(Handle_t handle) {
    ::close(static_cast<int>(handle));
}

bool replace(const std::string& from, const std::string& to, int& error) {
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = errno;
    return false;
}

void flushDirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void removeQuietly(const std::string& path) {
    ::unlink(path.c_str());
}

std::string uniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    return std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(salt ^
                          static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

// Signal 0 only asks whether the process is there; one of another user's answers EPERM and is
// alive all the same.
bool processAlive(uint64_t pid) {
    if (pid == 0 || pid > static_cast<uint64_t>(INT_MAX))
        return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

} // namespace file_ops

void appendWhole(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot open " + path);
    ::flock(fd, LOCK_EX);
    int error = 0;
    const bool written = file_ops::writeAll(fd, text.data(), text.size(), error);
    ::close(fd); // releases the lock
    if (!written)
        throw std::system_error(error, std::generic_category(), "cannot append to " + path);
}

} // namespace glo
