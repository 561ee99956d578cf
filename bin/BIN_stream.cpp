#include "bin/BIN_stream.h"

#include "bin/BIN_endian.h"

namespace bin {

namespace {

// The buffer threw: mark the stream bad and pass the exception on only if the mask asks for it.
void badFromException(std::basic_ios<char>& stream) {
    try {
        stream.setstate(std::ios_base::badbit);
    } catch (const std::ios_base::failure&) {
    }
    if (stream.exceptions() & std::ios_base::badbit)
        throw;
}

} // namespace

void basic_ostream::put(const char* data, std::size_t count) {
    if (tie() && good())
        tie()->flush();
    if (!good())
        return;
    bool refused = false;
    try {
        refused =
            rdbuf()->sputn(data, static_cast<std::streamsize>(count)) != static_cast<std::streamsize>(count);
    } catch (...) {
        badFromException(*this);
        return;
    }
    if (refused)
        setstate(std::ios_base::badbit);
}

basic_ostream& basic_ostream::write(const void* data, std::size_t count) {
    put(static_cast<const char*>(data), count);
    return *this;
}

basic_ostream& basic_ostream::operator<<(char value) {
    put(&value, 1);
    return *this;
}

basic_ostream& basic_ostream::operator<<(unsigned char value) {
    const char byte = static_cast<char>(value);
    put(&byte, 1);
    return *this;
}

basic_ostream& basic_ostream::operator<<(uint16_t value) {
    unsigned char bytes[2] = {};
    storeU16(bytes, value);
    return write(bytes, sizeof bytes);
}

basic_ostream& basic_ostream::operator<<(uint32_t value) {
    unsigned char bytes[4] = {};
    storeU32(bytes, value);
    return write(bytes, sizeof bytes);
}

basic_ostream& basic_ostream::operator<<(double value) {
    unsigned char bytes[8] = {};
    storeDouble(bytes, value);
    return write(bytes, sizeof bytes);
}

basic_ostream& basic_ostream::operator<<(const std::string& text) {
    if (!good())
        return *this;
    put(text.data(), text.size());
    return *this << '\0';
}

basic_ostream& basic_ostream::operator<<(const char* text) {
    if (!good()) {
        setstate(std::ios_base::badbit);
        return *this;
    }
    put(text, std::char_traits<char>::length(text) + 1);
    return *this;
}

basic_istream& basic_istream::operator>>(char& value) {
    if (!good()) {
        setstate(std::ios_base::failbit);
        return *this;
    }
    const auto c = rdbuf()->sbumpc();
    if (std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof()))
        setstate(std::ios_base::eofbit | std::ios_base::failbit);
    else
        value = std::char_traits<char>::to_char_type(c);
    return *this;
}

basic_istream& basic_istream::read(void* data, std::size_t count) {
    if (!good()) {
        setstate(std::ios_base::failbit);
        return *this;
    }
    m_scratch.resize(count);
    const auto got = rdbuf()->sgetn(m_scratch.data(), static_cast<std::streamsize>(count));
    if (got != static_cast<std::streamsize>(count)) {
        setstate(std::ios_base::eofbit | std::ios_base::failbit);
        return *this;
    }
    if (count)
        std::char_traits<char>::copy(static_cast<char*>(data), m_scratch.data(), count);
    return *this;
}

basic_istream& basic_istream::operator>>(std::string& text) {
    text.clear();
    for (;;) {
        char c = 0;
        if (!(*this >> c) || c == '\0')
            break;
        text.push_back(c);
    }
    return *this;
}

basic_istream& basic_istream::readU8(uint8_t& value) {
    char c = 0;
    if (*this >> c)
        value = static_cast<uint8_t>(c);
    return *this;
}

basic_istream& basic_istream::readU16(uint16_t& value) {
    unsigned char bytes[2] = {};
    if (read(bytes, sizeof bytes))
        value = loadU16(bytes);
    return *this;
}

basic_istream& basic_istream::readU32(uint32_t& value) {
    unsigned char bytes[4] = {};
    if (read(bytes, sizeof bytes))
        value = loadU32(bytes);
    return *this;
}

basic_istream& basic_istream::readI32(int32_t& value) {
    unsigned char bytes[4] = {};
    if (read(bytes, sizeof bytes))
        value = loadI32(bytes);
    return *this;
}

basic_istream& basic_istream::readDouble(double& value) {
    unsigned char bytes[8] = {};
    if (read(bytes, sizeof bytes))
        value = loadDouble(bytes);
    return *this;
}

basic_ofstream::basic_ofstream(const std::string& fileName, std::ios_base::openmode mode) {
    this->init(&m_buffer);
    if (!m_buffer.open(fileName, mode | std::ios_base::out | std::ios_base::binary))
        setstate(std::ios_base::failbit);
}

void basic_ofstream::close() {
    if (!m_buffer.close())
        setstate(std::ios_base::failbit);
}

} // namespace bin
