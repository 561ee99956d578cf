#include "host/map/TextFit.h"

#include "host/text/CodePoints.h"

#include <string_view>

namespace host {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
// What a byte that starts no character shows as.
constexpr char32_t kReplacement = 0xFFFD;

// In ems.
double characterWidth(char32_t c) {
    const int cells = columnsOf(c);
    if (cells != 1)
        return cells / 2.0; // a combining mark takes none, a wide character a whole em
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
        const CodePoint_t c = codePointAt(utf8, at);
        ems += characterWidth(c.value.value_or(kReplacement));
        at += c.size;
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
        const CodePoint_t c = codePointAt(utf8, at);
        if (!c.value)
            break;
        used += characterWidth(*c.value) * fontSize;
        // A combining mark stays with the character it marks.
        if (used > room && columnsOf(*c.value) != 0)
            break;
        at += c.size;
        cut = at;
    }
    return utf8.substr(0, cut) + std::string(kEllipsis);
}

} // namespace host
