#include "glo/GLO_ReplacingFile.h"

#include <cerrno>
#include <system_error>
#include <vector>

namespace glo {

// Collects bytes and hands them to the file in large writes; the first failure is kept and every
// later write refused, so the stream above sees it.
class ReplacingFile_t::Buffer_t : public std::streambuf {
public:
    explicit Buffer_t(file_ops::Handle_t handle) : m_handle(handle), m_bytes(1 << 16) {
        setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
    }
    ~Buffer_t() override {
        if (m_handle != file_ops::kNoHandle)
            file_ops::closeQuietly(m_handle);
    }

    // Writes what is left, flushes and closes; false with error() on failure.
    bool finish() {
        const bool written = drain();
        int error = 0;
        const bool closed = file_ops::flushAndClose(m_handle, error);
        m_handle = file_ops::kNoHandle;
        if (written && !closed)
            m_error = error;
        return written && closed;
    }
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain() {
        if (m_error)
            return false;
        const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
        if (size && !file_ops::writeAll(m_handle, pbase(), size, m_error))
            return false;
        setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
        return true;
    }

    file_ops::Handle_t m_handle;
    std::vector<char> m_bytes;
    int m_error = 0;
};

ReplacingFile_t::ReplacingFile_t(std::string path) : m_path(std::move(path)) {
    for (int attempt = 0;; ++attempt) {
        m_fresh = m_path + "." + file_ops::uniqueSuffix() + ".partial";
        int error = 0;
        const file_ops::Handle_t handle = file_ops::createExclusive(m_fresh, error);
        if (handle != file_ops::kNoHandle) {
            m_buffer = std::make_unique<Buffer_t>(handle);
            return;
        }
        if (error != EEXIST || attempt == 16)
            throw std::system_error(error, std::generic_category(), "cannot create a file beside " + m_path);
    }
}

ReplacingFile_t::~ReplacingFile_t() {
    m_buffer.reset();
    if (!m_committed)
        file_ops::removeQuietly(m_fresh);
}

std::streambuf& ReplacingFile_t::buffer() {
    return *m_buffer;
}

void ReplacingFile_t::commit() {
    if (!m_buffer->finish())
        throw std::system_error(m_buffer->error(), std::generic_category(), "cannot write " + m_path);
    int error = 0;
    if (!file_ops::replace(m_fresh, m_path, error))
        throw std::system_error(error, std::generic_category(), "cannot replace " + m_path);
    m_committed = true;
    file_ops::flushDirectoryOf(m_path);
}

} // namespace glo
