#ifndef BIN_BIN_BYTES_H
#define BIN_BIN_BYTES_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bin {

// The order of a number's bytes: Palm databases and the link protocol are big-endian, the
// handheld's track records little-endian.
enum class ByteOrder_t { Big, Little };

// Bytes that are not what they claim to be: cut short, or with bytes left over.
struct MalformedBytes_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words of a reader's errors, the same for every reader: "the user info is cut short: 4 more
// bytes wanted at byte 28 of 30", "the user info has 2 bytes too many".
std::string cutShortText(const std::string& what, uint64_t wanted, uint64_t at, uint64_t size);
std::string leftOverText(const std::string& what, uint64_t extra);

// Reads numbers, fixed-size texts and spans of bytes that may be hostile. Every read is checked
// against the end before a byte is touched, in 64-bit arithmetic so that no count can wrap; a read
// that does not fit reads nothing and raises Error_t with words that name the data. The parameter
// lets a protocol raise its own class (its callers catch that); ByteReader_t raises
// MalformedBytes_t.
template <class Error_t> class BasicByteReader_t {
public:
    // `what` names the data in errors ("the user info"); the bytes must outlive the reader.
    BasicByteReader_t(std::string_view data, std::string what, ByteOrder_t order)
        : m_data(data), m_what(std::move(what)), m_order(order) {}

    uint8_t u8() { return static_cast<uint8_t>(number(1)); }
    uint16_t u16() { return static_cast<uint16_t>(number(2)); }
    // Three bytes, as a Palm record's unique id is stored.
    uint32_t u24() { return static_cast<uint32_t>(number(3)); }
    uint32_t u32() { return static_cast<uint32_t>(number(4)); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    float f32() { return std::bit_cast<float>(u32()); }

    std::string_view bytes(uint64_t count) {
        need(count);
        const std::string_view part = m_data.substr(m_at, static_cast<std::size_t>(count));
        m_at += static_cast<std::size_t>(count);
        return part;
    }
    // A fixed-size text field of `count` bytes: the text up to its zero byte, or all of them when
    // there is none.
    std::string text(uint64_t count) {
        const std::string_view field = bytes(count);
        return std::string(field.substr(0, field.find('\0')));
    }
    void skip(uint64_t count) { bytes(count); }

    uint64_t position() const { return m_at; }
    uint64_t size() const { return m_data.size(); }
    uint64_t remaining() const { return m_data.size() - m_at; }
    // The rest must be empty.
    void end() const {
        if (remaining() != 0)
            throw Error_t(leftOverText(m_what, remaining()));
    }

private:
    void need(uint64_t count) const {
        if (count > remaining())
            throw Error_t(cutShortText(m_what, count, m_at, m_data.size()));
    }
    uint64_t number(unsigned width) {
        need(width);
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) {
            const unsigned byte = m_order == ByteOrder_t::Big ? i : width - 1 - i;
            value = (value << 8) | static_cast<uint8_t>(m_data[m_at + byte]);
        }
        m_at += width;
        return value;
    }

    std::string_view m_data;
    std::size_t m_at = 0;
    std::string m_what;
    ByteOrder_t m_order;
};

using ByteReader_t = BasicByteReader_t<MalformedBytes_t>;

// Builds bytes: numbers in the writer's byte order, texts and spans. Writing happens at the
// position, which is the end unless seek() moved it: bytes before the end are overwritten, and the
// data grows as needed.
class ByteWriter_t {
public:
    explicit ByteWriter_t(ByteOrder_t order) : m_order(order) {}

    ByteWriter_t& u8(uint8_t value) { return number(value, 1); }
    ByteWriter_t& u16(uint16_t value) { return number(value, 2); }
    // The low three bytes of `value`, as a Palm record's unique id is stored.
    ByteWriter_t& u24(uint32_t value) { return number(value, 3); }
    ByteWriter_t& u32(uint32_t value) { return number(value, 4); }
    ByteWriter_t& i32(int32_t value) { return u32(static_cast<uint32_t>(value)); }
    ByteWriter_t& f32(float value) { return u32(std::bit_cast<uint32_t>(value)); }
    ByteWriter_t& bytes(std::string_view data);
    // The text and its terminating zero.
    ByteWriter_t& text(std::string_view value);
    // A fixed-size text field: the text cut to `width` bytes, or padded to it with zeros.
    ByteWriter_t& fixedText(std::string_view value, std::size_t width);
    ByteWriter_t& zeros(std::size_t count);
    // Moves the position; a position past the end fills the gap with zeros.
    ByteWriter_t& seek(std::size_t offset);

    std::size_t position() const { return m_at; }
    const std::string& data() const { return m_data; }
    // The bytes written; the writer starts again empty.
    std::string take();

private:
    ByteWriter_t& number(uint64_t value, unsigned width);

    std::string m_data;
    std::size_t m_at = 0;
    ByteOrder_t m_order;
};

} // namespace bin

#endif
