#include "glo/GLO_ReplacingFile.h"

#include <windows.h>

#include <cerrno>
#include <system_error>

namespace glo {

namespace {

// The errno-style number of the last Windows error, as the portable part reports errors.
int lastError() {
    switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return ENOENT;
    default:
        return EIO;
    }
}

} // namespace

namespace file_ops {

// CREATE_NEW fails on any existing name, a link or junction included, so nothing is written
// through one.
Handle_t createExclusive(const std::string& path, int& error) {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = lastError();
        return kNoHandle;
    }
    error = 0;
    return reinterpret_cast<Handle_t>(handle);
}

bool writeAll(Handle_t handle, const char* data, std::size_t size, int& error) {
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(handle), data, chunk, &written, nullptr) || written == 0) {
            error = lastError();
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool flushAndClose(Handle_t handle, int& error) {
    const bool flushed = FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
    if (!flushed)
        error = lastError();
    const bool closed = CloseHandle(reinterpret_cast<HANDLE>(handle)) != 0;
    if (flushed && !closed)
        error = lastError();
    return flushed && closed;
}

void closeQuietly(Handle_t handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

// The rename is written through before it returns, which also stands for flushing the directory.
bool replace(const std::string& from, const std::string& to, int& error) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = lastError();
    return false;
}

void flushDirectoryOf(const std::string&) {}

void removeQuietly(const std::string& path) {
    DeleteFileA(path.c_str());
}

std::string uniqueSuffix() {
    static LONG counter = 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter)) +
           "-" + std::to_string(static_cast<unsigned long>(now.LowPart));
}

// A process that cannot be opened for another reason than its absence (another user's) is taken
// as alive.
bool processAlive(uint64_t pid) {
    if (pid == 0 || pid > 0xFFFFFFFFu)
        return true;
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

} // namespace file_ops

void appendWhole(const std::string& path, const std::string& text) {
    const HANDLE handle = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw std::system_error(lastError(), std::generic_category(), "cannot open " + path);
    int error = 0;
    const bool written =
        file_ops::writeAll(reinterpret_cast<file_ops::Handle_t>(handle), text.data(), text.size(), error);
    CloseHandle(handle);
    if (!written)
        throw std::system_error(error, std::generic_category(), "cannot append to " + path);
}

} // namespace glo
