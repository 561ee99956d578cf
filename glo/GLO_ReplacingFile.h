#ifndef GLO_GLO_REPLACINGFILE_H
#define GLO_GLO_REPLACINGFILE_H

#include "glo/GLO_NonCopyable.h"

#include <cstdint>
#include <memory>
#include <streambuf>
#include <string>

namespace glo {

// Replaces a file whole or not at all, the way databases do: the new content goes to a fresh file
// beside the old one, of a name no other writer uses, created exclusively and never through a
// link; commit() flushes it to the disk, renames it over the old file and flushes the directory,
// so that after a crash or power cut the name holds the old file or the new one, never a part.
// Two writers of one file each write their own and the last rename wins whole. Destroyed without
// a commit, or when the commit fails, the fresh file is removed. A writer that was killed cannot
// remove its own: the next writer of the same file removes the fresh files of writers whose
// process is gone (see removeLeftovers).
class ReplacingFile_t : NonCopyable_t {
public:
    // @exception std::system_error when the fresh file cannot be created (a missing or read-only
    // directory, a full disk): the old file is untouched.
    explicit ReplacingFile_t(std::string path);
    ~ReplacingFile_t();

    // Where the content goes; a failed write makes the buffer refuse (the stream sets badbit).
    std::streambuf& buffer();
    // The system's reason (an errno value) for the first write that failed; 0 while none has.
    int writeError() const;

    // @exception std::system_error when a write, the flush or the rename failed.
    void commit();

    const std::string& path() const { return m_path; }
    // How many leftovers of dead writers the constructor removed.
    std::size_t leftoversRemoved() const { return m_leftoversRemoved; }

private:
    class Buffer_t;
    std::string m_path;
    std::string m_fresh;
    std::unique_ptr<Buffer_t> m_buffer;
    bool m_committed = false;
    std::size_t m_leftoversRemoved = 0;
};

// Removes the fresh files that writers of `path` left when they were killed: only regular files
// named exactly as the writers of `path` name theirs ("<name>.<pid>-<counter>-<salt>.partial"), and
// only those whose process is no longer alive. Returns how many went; failures are ignored.
std::size_t removeLeftovers(const std::string& path);

// Appends `text` to `path` in one write while holding the file's lock, so that the lines of
// concurrent writers never interleave; creates the file, but never writes through a link.
// @exception std::system_error on failure.
void appendWhole(const std::string& path, const std::string& text);

// The platform's file operations that the file above is made of.
namespace file_ops {
using Handle_t = intptr_t;
constexpr Handle_t kNoHandle = -1;
// Creates `path` exclusively (an existing name, a link included, fails with EEXIST).
Handle_t createExclusive(const std::string& path, int& error);
bool writeAll(Handle_t handle, const char* data, std::size_t size, int& error);
bool flushAndClose(Handle_t handle, int& error);
void closeQuietly(Handle_t handle);
bool replace(const std::string& from, const std::string& to, int& error);
void flushDirectoryOf(const std::string& path);
void removeQuietly(const std::string& path);
// A name part that differs between processes and between calls: "<pid>-<counter>-<salt>", each
// a run of decimal digits.
std::string uniqueSuffix();
// Whether the process `pid` (as uniqueSuffix writes it) still runs; true when that cannot be told,
// so that nothing of a live writer is ever taken.
bool processAlive(uint64_t pid);
} // namespace file_ops

} // namespace glo

#endif
