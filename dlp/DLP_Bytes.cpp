#include "dlp/DLP_Bytes.h"

namespace dlp {

std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

Writer_t& Writer_t::u8(uint32_t value) {
    m_data.push_back(static_cast<char>(value & 0xFF));
    return *this;
}

Writer_t& Writer_t::u16(uint32_t value) {
    return u8(value >> 8).u8(value);
}

Writer_t& Writer_t::u32(uint32_t value) {
    return u16(value >> 16).u16(value);
}

Writer_t& Writer_t::bytes(std::string_view data) {
    m_data.append(data);
    return *this;
}

Writer_t& Writer_t::text(std::string_view value) {
    m_data.append(value);
    m_data.push_back('\0');
    return *this;
}

void Reader_t::shortOf(std::size_t wanted) const {
    throw ProtocolError_t(m_what + " is cut short: " + std::to_string(wanted) +
                          " more bytes wanted at byte " + std::to_string(m_at) + " of " +
                          std::to_string(m_data.size()));
}

uint8_t Reader_t::u8() {
    if (remaining() < 1)
        shortOf(1);
    return static_cast<uint8_t>(m_data[m_at++]);
}

uint16_t Reader_t::u16() {
    if (remaining() < 2)
        shortOf(2);
    const uint16_t value = static_cast<uint16_t>((uint8_t(m_data[m_at]) << 8) | uint8_t(m_data[m_at + 1]));
    m_at += 2;
    return value;
}

uint32_t Reader_t::u32() {
    const uint32_t high = u16();
    return (high << 16) | u16();
}

std::string_view Reader_t::bytes(std::size_t count) {
    if (remaining() < count)
        shortOf(count);
    const std::string_view part = m_data.substr(m_at, count);
    m_at += count;
    return part;
}

std::string Reader_t::text(std::size_t count) {
    const std::string_view field = bytes(count);
    return std::string(field.substr(0, field.find('\0')));
}

void Reader_t::end() const {
    if (remaining() != 0)
        throw ProtocolError_t(m_what + " has " + std::to_string(remaining()) + " bytes too many");
}

} // namespace dlp
