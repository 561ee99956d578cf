#include "rec/REC_FileFormat.h"

namespace rec {

namespace {
constexpr const char* kSource = "REC_FileFormat.cpp";
} // namespace

Payload_t::Payload_t(const std::string& payload, uint64_t offset, uint16_t formatVersion)
    : m_bytes(payload), m_in(payload), m_size(payload.size()), m_offset(offset) {
    m_in.setFormatVersion(formatVersion);
}

const unsigned char* Payload_t::rest() {
    return reinterpret_cast<const unsigned char*>(m_bytes.data()) + m_in.bytesRead();
}

void Payload_t::skip(std::size_t bytes) {
    m_in.skip(bytes);
}

void Payload_t::fail(const char* source, int line, const std::string& what) const {
    throw FileFormatError_t(source, line, m_offset, what);
}

void Payload_t::finish(RecordType type) {
    const char byte = typeByte(type);
    if (m_in.fail())
        fail(kSource, 60, std::string("record '") + byte + "' holds a value out of range or is cut short");
    const std::size_t used = m_in.bytesRead();
    if (used != m_size)
        fail(kSource, 63,
             std::string("record '") + byte + "' has " + std::to_string(m_size - used) + " bytes too many");
}

} // namespace rec
