#ifndef DLP_DLP_BYTES_H
#define DLP_DLP_BYTES_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dlp {

// The peer broke the protocol: a frame or an answer that cannot be what it claims.
struct ProtocolError_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Bytes written as hex digits ("9001..."), for the fixed frames of the protocol.
std::string fromHex(std::string_view hex);

// Big-endian numbers appended to a byte string, as every number on the wire is.
class Writer_t {
public:
    Writer_t& u8(uint32_t value);
    Writer_t& u16(uint32_t value);
    Writer_t& u32(uint32_t value);
    Writer_t& bytes(std::string_view data);
    // The text and its terminating zero.
    Writer_t& text(std::string_view value);
    const std::string& data() const { return m_data; }
    std::string take() { return std::move(m_data); }

private:
    std::string m_data;
};

// Reads big-endian numbers from bytes that came from the peer: every read is checked against the
// end, so no count the peer sends can make it read past what arrived.
class Reader_t {
public:
    // `what` names the data in errors ("ReadUserInfo answer").
    Reader_t(std::string_view data, std::string what) : m_data(data), m_what(std::move(what)) {}
    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    std::string_view bytes(std::size_t count);
    // Text up to its zero byte within `count` bytes (or all of them when there is none).
    std::string text(std::size_t count);
    std::size_t remaining() const { return m_data.size() - m_at; }
    // The rest must be empty.
    void end() const;

private:
    [[noreturn]] void shortOf(std::size_t wanted) const;
    std::string_view m_data;
    std::size_t m_at = 0;
    std::string m_what;
};

} // namespace dlp

#endif
