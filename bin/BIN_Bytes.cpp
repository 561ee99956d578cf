#include "bin/BIN_Bytes.h"

#include <algorithm>

namespace bin {

std::string cutShortText(const std::string& what, uint64_t wanted, uint64_t at, uint64_t size) {
    return what + " is cut short: " + std::to_string(wanted) + " more bytes wanted at byte " +
           std::to_string(at) + " of " + std::to_string(size);
}

std::string leftOverText(const std::string& what, uint64_t extra) {
    return what + " has " + std::to_string(extra) + " bytes too many";
}

ByteWriter_t& ByteWriter_t::bytes(std::string_view data) {
    if (m_data.size() < m_at + data.size())
        m_data.resize(m_at + data.size(), '\0');
    std::copy(data.begin(), data.end(), m_data.begin() + static_cast<std::ptrdiff_t>(m_at));
    m_at += data.size();
    return *this;
}

ByteWriter_t& ByteWriter_t::text(std::string_view value) {
    return bytes(value).u8(0);
}

ByteWriter_t& ByteWriter_t::fixedText(std::string_view value, std::size_t width) {
    const std::string_view kept = value.substr(0, width);
    return bytes(kept).zeros(width - kept.size());
}

ByteWriter_t& ByteWriter_t::zeros(std::size_t count) {
    return bytes(std::string(count, '\0'));
}

ByteWriter_t& ByteWriter_t::seek(std::size_t offset) {
    if (m_data.size() < offset)
        m_data.resize(offset, '\0');
    m_at = offset;
    return *this;
}

std::string ByteWriter_t::take() {
    std::string out = std::move(m_data);
    m_data.clear();
    m_at = 0;
    return out;
}

ByteWriter_t& ByteWriter_t::number(uint64_t value, unsigned width) {
    char out[8] = {};
    for (unsigned i = 0; i < width; ++i) {
        const unsigned shift = 8 * (m_order == ByteOrder_t::Big ? width - 1 - i : i);
        out[i] = static_cast<char>((value >> shift) & 0xFF);
    }
    return bytes(std::string_view(out, width));
}

} // namespace bin
