#include "glo/GLO_ReplacingFile.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace glo {

namespace {

constexpr std::string_view kFreshEnd = ".partial";

// A run of decimal digits at the start of `text`, taken off it; nothing when there is none or it
// does not fit.
std::optional<uint64_t> takeNumber(std::string_view& text) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

// The writer's pid when `name` is `base` + ".<pid>-<counter>-<salt>.partial" exactly.
std::optional<uint64_t> leftoverPid(std::string_view name, std::string_view base) {
    if (name.size() <= base.size() + 1 || name.substr(0, base.size()) != base || name[base.size()] != '.')
        return std::nullopt;
    std::string_view rest = name.substr(base.size() + 1);
    if (rest.size() <= kFreshEnd.size() || rest.substr(rest.size() - kFreshEnd.size()) != kFreshEnd)
        return std::nullopt;
    rest.remove_suffix(kFreshEnd.size());
    // from_chars takes no sign, so "-" and "+" never pass for digits.
    const std::optional<uint64_t> pid = takeNumber(rest);
    if (!pid || rest.empty() || rest.front() != '-')
        return std::nullopt;
    rest.remove_prefix(1);
    if (!takeNumber(rest) || rest.empty() || rest.front() != '-')
        return std::nullopt;
    rest.remove_prefix(1);
    if (!takeNumber(rest) || !rest.empty())
        return std::nullopt;
    return pid;
}

} // namespace

std::size_t removeLeftovers(const std::string& path) {
    namespace fs = std::filesystem;
    std::size_t removed = 0;
    try {
        const fs::path target(path);
        const std::string base = target.filename().string();
        if (base.empty())
            return 0;
        const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
        std::error_code error;
        for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
             entry.increment(error)) {
            try {
                const std::optional<uint64_t> pid = leftoverPid(entry->path().filename().string(), base);
                // A link or a directory of that name was never a writer's file.
                std::error_code statusError;
                if (!pid || !entry->is_regular_file(statusError) || entry->is_symlink(statusError) ||
                    file_ops::processAlive(*pid))
                    continue;
                if (fs::remove(entry->path(), statusError))
                    ++removed;
            } catch (const std::exception&) {
                // A name the system cannot convert is no writer's.
            }
        }
    } catch (const std::exception&) {
        // No memory, or a path the system cannot convert: the leftovers wait for the next writer.
    }
    return removed;
}

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
    m_leftoversRemoved = removeLeftovers(m_path);
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

int ReplacingFile_t::writeError() const {
    return m_buffer ? m_buffer->error() : 0;
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
