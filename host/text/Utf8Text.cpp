#include "host/text/Utf8Text.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <stdexcept>

namespace host {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

class Converter {
public:
    explicit Converter(uint32_t codePage) {
        const std::string from = "CP" + std::to_string(codePage);
        m_handle = iconv_open("UTF-8", from.c_str());
        if (m_handle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("cannot convert names from code page " + std::to_string(codePage));
    }
    ~Converter() { iconv_close(m_handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string convert(const std::string& text) {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        while (inLeft > 0) {
            char buffer[256];
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(m_handle, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                // An invalid or incomplete sequence: replace one byte and go on.
                out += kReplacement;
                ++in;
                --inLeft;
                iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t m_handle;
};

} // namespace

std::string fromCodePage(const std::string& text, uint32_t codePage) {
    return Converter(codePage).convert(text);
}

std::string toUtf8(const std::string& text, uint32_t codePage) {
    std::string out;
    for (const char c : fromCodePage(text, codePage)) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7F)
            out += kReplacement;
        else
            out.push_back(c);
    }
    return out;
}

std::string xmlEscape(const std::string& utf8) {
    std::string out;
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::size_t characterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

std::string fitCharacters(const std::string& utf8, std::size_t characters) {
    if (characters == 0 || characterCount(utf8) <= characters)
        return utf8;
    std::size_t seen = 0, at = 0;
    for (; at < utf8.size(); ++at)
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && seen++ == characters - 1)
            break;
    return utf8.substr(0, at) + "\xE2\x80\xA6";
}

std::string padCharacters(const std::string& utf8, std::size_t characters) {
    std::string text = fitCharacters(utf8, characters);
    return text + std::string(characters - characterCount(text), ' ');
}

} // namespace host
