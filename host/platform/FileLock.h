#ifndef HOST_PLATFORM_FILELOCK_H
#define HOST_PLATFORM_FILELOCK_H

#include <chrono>
#include <stdexcept>
#include <string>

namespace host {

// An exclusive lock on a lock file, held while the object lives, released by the system when the
// process ends however it ends. The lock file is created if need be, never through a link.
class FileLock {
public:
    struct Timeout : std::runtime_error {
        using std::runtime_error::runtime_error;
    };
    // Waits up to `patience` for the lock; `waiting` is called once if the lock is taken.
    // Throws std::runtime_error when the file cannot be opened, Timeout when the wait runs out.
    template <class Waiting>
    FileLock(const std::string& path, std::chrono::milliseconds patience, Waiting&& waiting) : m_path(path) {
        if (!tryLock())
            waiting();
        wait(patience);
    }
    explicit FileLock(const std::string& path, std::chrono::milliseconds patience = std::chrono::seconds(30))
        : FileLock(path, patience, [] {}) {}
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    bool tryLock();
    void wait(std::chrono::milliseconds patience);
    std::string m_path;
    int m_fd = -1;
    bool m_locked = false;
};

} // namespace host

#endif
