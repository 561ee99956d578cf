#ifndef BIN_BIN_STREAM_H
#define BIN_BIN_STREAM_H

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <ios>
#include <sstream>
#include <string>
#include <vector>

namespace bin {

class record_t;

// The record-file format version this program writes; also the version that reads assume unless
// the input says otherwise.
constexpr uint16_t kFormatVersion = 105;

// Byte-exact binary output: every insertion puts exact little-endian bytes into the stream buffer,
// with the state and exception behaviour of the standard streams (a refused byte sets badbit; a
// stream that is not good writes nothing).
class basic_ostream : virtual public std::basic_ios<char> {
public:
    explicit basic_ostream(std::streambuf* buffer) { this->init(buffer); }
    virtual ~basic_ostream() = default;

    basic_ostream& write(const void* data, std::size_t count);

    basic_ostream& operator<<(char value);
    basic_ostream& operator<<(unsigned char value);
    basic_ostream& operator<<(bool value) { return *this << static_cast<unsigned char>(value ? 1 : 0); }
    basic_ostream& operator<<(uint16_t value);
    basic_ostream& operator<<(uint32_t value);
    basic_ostream& operator<<(int32_t value) { return *this << static_cast<uint32_t>(value); }
    basic_ostream& operator<<(double value);
    // The characters as held, then a zero byte.
    basic_ostream& operator<<(const std::string& text);
    // strlen + 1 bytes; on a stream that is not good, sets badbit as well.
    basic_ostream& operator<<(const char* text);
    // Frames the record: u32 payload length, type byte, payload (see BIN_record.h).
    basic_ostream& operator<<(const record_t& record);

protected:
    basic_ostream() = default;
    // Hands `count` bytes to the buffer, following the standard stream's sentry and error rules.
    void put(const char* data, std::size_t count);
};

// Byte-exact binary input, the inverse of basic_ostream. Reads are all or nothing: a value cut off
// by the end of the data leaves its destination unchanged and sets failbit and eofbit.
class basic_istream : virtual public std::basic_ios<char> {
public:
    explicit basic_istream(std::streambuf* buffer) { this->init(buffer); }
    virtual ~basic_istream() = default;

    basic_istream& operator>>(char& value);
    basic_istream& read(void* data, std::size_t count);
    // Bytes up to a zero byte (not stored); text cut off by the end keeps what was read and fails.
    basic_istream& operator>>(std::string& text);

    basic_istream& readU8(uint8_t& value);
    basic_istream& readU16(uint16_t& value);
    basic_istream& readU32(uint32_t& value);
    basic_istream& readI32(int32_t& value);
    basic_istream& readDouble(double& value);

    // Format version of the data being read; the model's reads branch on it.
    uint16_t formatVersion() const { return m_formatVersion; }
    void setFormatVersion(uint16_t version) { m_formatVersion = version; }

protected:
    basic_istream() = default;

private:
    std::vector<char> m_scratch;
    uint16_t m_formatVersion = kFormatVersion;
};

class basic_iostream : public basic_istream, public basic_ostream {
protected:
    basic_iostream() = default;
};

// An in-memory binary stream, readable and writable.
class basic_stringstream : public basic_iostream {
public:
    basic_stringstream() { this->init(&m_buffer); }
    explicit basic_stringstream(const std::string& content)
        : m_buffer(content, std::ios_base::in | std::ios_base::out) {
        this->init(&m_buffer);
    }
    std::string str() const { return m_buffer.str(); }
    std::string_view view() const { return m_buffer.view(); }
    // Bytes read so far.
    std::size_t bytesRead() {
        const auto at = m_buffer.pubseekoff(0, std::ios_base::cur, std::ios_base::in);
        return at < 0 ? 0 : static_cast<std::size_t>(at);
    }
    // Moves the read position on by `bytes` that were read some other way.
    void skip(std::size_t bytes) {
        m_buffer.pubseekoff(static_cast<std::streamoff>(bytes), std::ios_base::cur, std::ios_base::in);
    }
    // Moves both the read and the write position back to the start; the content stays.
    void rewind() {
        m_buffer.pubseekpos(0, std::ios_base::in);
        m_buffer.pubseekpos(0, std::ios_base::out);
    }

private:
    std::stringbuf m_buffer{std::ios_base::in | std::ios_base::out};
};

// A binary output file. Always opened in binary output mode; a failed open sets failbit only.
class basic_ofstream : public basic_ostream {
public:
    basic_ofstream(const std::string& fileName, std::ios_base::openmode mode);
    ~basic_ofstream() override = default;
    bool is_open() const { return m_buffer.is_open(); }
    // Flushes and closes; a failure sets failbit (and throws if the exception mask asks).
    void close();

private:
    std::filebuf m_buffer;
};

} // namespace bin

#endif
