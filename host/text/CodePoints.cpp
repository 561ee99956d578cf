#include "host/text/CodePoints.h"

#include <algorithm>
#include <array>
#include <utility>

namespace host {

CodePoint_t codePointAt(std::string_view utf8, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t size = 0;
    char32_t value = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2, value = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3, value = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4, value = lead & 0x07u, least = 0x10000;
    } else {
        return {};
    }
    if (utf8.size() - at < size)
        return {};
    for (std::size_t i = 1; i < size; ++i) {
        if ((byte(at + i) & 0xC0u) != 0x80u)
            return {};
        value = (value << 6) | (byte(at + i) & 0x3Fu);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return {value, size};
}

namespace {

using Range_t = std::pair<char32_t, char32_t>;

// Sorted; enough of the Unicode East Asian Width "W" and "F" classes for names people type.
constexpr std::array<Range_t, 19> kWide{{
    {0x1100, 0x115F},
    {0x231A, 0x231B},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF},
    {0x1F900, 0x1F9FF},
    {0x1FA70, 0x1FAFF},
    {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
}};

// Combining marks and zero-width characters.
constexpr std::array<Range_t, 9> kZeroWidth{{
    {0x0300, 0x036F},
    {0x0483, 0x0489},
    {0x0591, 0x05BD},
    {0x1AB0, 0x1AFF},
    {0x1DC0, 0x1DFF},
    {0x200B, 0x200F},
    {0x20D0, 0x20FF},
    {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F},
}};

template <std::size_t N> bool within(const std::array<Range_t, N>& ranges, char32_t c) {
    const auto after =
        std::upper_bound(ranges.begin(), ranges.end(), c,
                         [](char32_t value, const Range_t& range) { return value < range.first; });
    return after != ranges.begin() && c <= std::prev(after)->second;
}

} // namespace

int columnsOf(char32_t c) {
    if (within(kZeroWidth, c))
        return 0;
    return within(kWide, c) ? 2 : 1;
}

bool isSpaceOrControl(char32_t c) {
    return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || (c >= 0x2000 && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF ||
           (c >= 0xFFF0 && c <= 0xFFFF);
}

} // namespace host
