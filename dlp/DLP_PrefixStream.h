#ifndef DLP_DLP_PREFIXSTREAM_H
#define DLP_DLP_PREFIXSTREAM_H

#include "dlp/DLP_ByteStream.h"

#include <memory>
#include <string>

namespace dlp {

// A stream whose first bytes were already read (to tell which protocol the peer speaks): reads
// give those bytes again first, then what the stream brings.
class PrefixStream_t : public ByteStream_t {
public:
    // Reads through `inner`, which must outlive this stream.
    PrefixStream_t(ByteStream_t& inner, std::string prefix) : m_inner(inner), m_prefix(std::move(prefix)) {}
    PrefixStream_t(std::unique_ptr<ByteStream_t> inner, std::string prefix)
        : m_owned(std::move(inner)), m_inner(*m_owned), m_prefix(std::move(prefix)) {}

    void write(std::string_view bytes, Timeout_t timeout) override { m_inner.write(bytes, timeout); }
    std::size_t readSome(char* data, std::size_t capacity, Timeout_t timeout) override;
    std::string describe() const override { return m_inner.describe(); }

private:
    std::unique_ptr<ByteStream_t> m_owned;
    ByteStream_t& m_inner;
    std::string m_prefix;
    std::size_t m_given = 0;
};

} // namespace dlp

#endif
