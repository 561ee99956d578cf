#include "host/map/TextFit.h"

#include <cstdint>
#include <string_view>

namespace host {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// The next code point at `at` and its length in bytes; a byte that starts no well-formed sequence
// reads as U+FFFD of one byte, so that the walk always moves on.
std::pair<uint32_t, std::size_t> nextCharacter(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = lead < 0x80         ? 1
                         : (lead >> 5) == 6  ? 2
                         : (lead >> 4) == 14 ? 3
                         : (lead >> 3) == 30 ? 4
                                             : 0;
    if (length == 0 || at + length > text.size())
        return {0xFFFD, 1};
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return {0xFFFD, 1};
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    return {code, length};
}

bool combining(uint32_t c) {
    return (c >= 0x300 && c <= 0x36F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F) || c == 0x200B || c == 0x200D;
}

bool wide(uint32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// In ems.
double characterWidth(uint32_t c) {
    if (combining(c))
        return 0;
    if (wide(c))
        return 1.0;
    if (c < 0x80) {
        if (std::string_view(" .,:;'!|iljtf()[]").find(static_cast<char>(c)) != std::string_view::npos)
            return 0.35;
        if (std::string_view("MWmw@%").find(static_cast<char>(c)) != std::string_view::npos)
            return 0.95;
        if (c >= 'A' && c <= 'Z')
            return 0.75;
        return 0.62;
    }
    return 0.75;
}

} // namespace

double textWidth(const std::string& utf8, double fontSize) {
    double ems = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto [code, length] = nextCharacter(utf8, at);
        ems += characterWidth(code);
        at += length;
    }
    return ems * fontSize;
}

std::string fitWidth(const std::string& utf8, double pixels, double fontSize) {
    if (textWidth(utf8, fontSize) <= pixels)
        return utf8;
    const double room = pixels - textWidth(std::string(kEllipsis), fontSize);
    double used = 0;
    std::size_t cut = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto [code, length] = nextCharacter(utf8, at);
        if (code == 0xFFFD && length == 1 && static_cast<unsigned char>(utf8[at]) >= 0x80)
            break;
        used += characterWidth(code) * fontSize;
        // A combining mark stays with the character it marks.
        if (used > room && !combining(code))
            break;
        at += length;
        cut = at;
    }
    return utf8.substr(0, cut) + std::string(kEllipsis);
}

} // namespace host
