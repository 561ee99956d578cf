#include "host/text/TerminalText.h"

#include "host/text/CodePoints.h"

namespace host {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";    // U+2026

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029;
}

} // namespace

std::string oneLine(const std::string& utf8) {
    std::string line;
    line.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const CodePoint_t c = codePointAt(utf8, at);
        if (!c.value)
            line += kReplacement;
        else if (isControl(*c.value))
            line += ' ';
        else
            line.append(utf8, at, c.size);
        at += c.size;
    }
    return line;
}

std::size_t displayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const CodePoint_t c = codePointAt(utf8, at);
        width += static_cast<std::size_t>(c.value ? columnsOf(*c.value) : 1);
        at += c.size;
    }
    return width;
}

std::string fitWidth(const std::string& utf8, std::size_t width) {
    if (displayWidth(utf8) <= width)
        return utf8;
    if (width == 0)
        return {};
    std::string fitted;
    std::size_t used = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const CodePoint_t c = codePointAt(utf8, at);
        const auto cells = static_cast<std::size_t>(c.value ? columnsOf(*c.value) : 1);
        if (used + cells > width - 1) // room for the ellipsis
            break;
        fitted.append(utf8, at, c.size);
        used += cells;
        at += c.size;
    }
    return fitted.append(kEllipsis);
}

std::string padWidth(const std::string& utf8, std::size_t width, bool alignLeft) {
    std::string fitted = fitWidth(utf8, width);
    const std::string blanks(width - displayWidth(fitted), ' ');
    return alignLeft ? fitted + blanks : blanks + fitted;
}

} // namespace host
