// The code page tables from the C library's converters (iconv) and its Unicode case mapping.
#include "glo/GLO_CodePage.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <iconv.h>
#include <optional>
#include <string>
#include <wctype.h>

namespace glo {

namespace {

// One iconv conversion, opened and closed with the object.
class Converter_t {
public:
    Converter_t(const std::string& to, const std::string& from)
        : m_handle(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter_t() {
        if (ok())
            iconv_close(m_handle);
    }
    Converter_t(const Converter_t&) = delete;
    Converter_t& operator=(const Converter_t&) = delete;
    bool ok() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    enum class Result { Converted, Incomplete, Invalid };

    // Converts `bytes` in a fresh state, flushing what a stateful converter (1255, 1258) holds
    // back; `out` gets the output bytes.
    Result convert(const char* bytes, std::size_t length, std::string& out) {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes);
        std::size_t inLeft = length;
        char buffer[64];
        char* outAt = buffer;
        std::size_t outLeft = sizeof buffer;
        if (iconv(m_handle, &in, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1))
            return errno == EINVAL ? Result::Incomplete : Result::Invalid;
        if (iconv(m_handle, nullptr, nullptr, &outAt, &outLeft) == static_cast<std::size_t>(-1))
            return Result::Invalid;
        out.assign(buffer, static_cast<std::size_t>(outAt - buffer));
        return Result::Converted;
    }

private:
    iconv_t m_handle;
};

// The one Unicode character `bytes` make in the code page, if they make exactly one.
std::optional<char32_t> decodeOne(Converter_t& decoder, const char* bytes, std::size_t length,
                                  Converter_t::Result* result = nullptr) {
    std::string out;
    const Converter_t::Result converted = decoder.convert(bytes, length, out);
    if (result)
        *result = converted;
    if (converted != Converter_t::Result::Converted || out.size() != 4)
        return std::nullopt;
    const auto byte = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(out[i]));
    };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// The single byte that codes `character` in the code page, if there is one.
std::optional<unsigned char> encodeOne(Converter_t& encoder, char32_t character) {
    const char in[4] = {static_cast<char>(character & 0xFF), static_cast<char>(character >> 8 & 0xFF),
                        static_cast<char>(character >> 16 & 0xFF), static_cast<char>(character >> 24 & 0xFF)};
    std::string out;
    if (encoder.convert(in, sizeof in, out) != Converter_t::Result::Converted || out.size() != 1)
        return std::nullopt;
    return static_cast<unsigned char>(out[0]);
}

// Unicode's simple upper case, independent of the process's locale.
class UpperCase_t {
public:
    UpperCase_t() : m_locale(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {}
    ~UpperCase_t() {
        if (m_locale)
            freelocale(m_locale);
    }
    UpperCase_t(const UpperCase_t&) = delete;
    UpperCase_t& operator=(const UpperCase_t&) = delete;
    char32_t operator()(char32_t c) const {
        if (m_locale)
            return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), m_locale));
        return c >= U'a' && c <= U'z' ? c - 0x20 : c;
    }

private:
    locale_t m_locale;
};

} // namespace

bool readSystemCodePage(uint32_t number, CodePage_t::Tables_t& tables) {
    const auto known = CodePage_t::ansiCodePages();
    if (std::find(known.begin(), known.end(), number) == known.end())
        return false;
    const std::string name = "CP" + std::to_string(number);
    Converter_t decoder("UTF-32LE", name);
    Converter_t encoder(name, "UTF-32LE");
    if (!decoder.ok() || !encoder.ok())
        return false;
    const UpperCase_t upper;

    tables.lead.reset();
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        tables.upper[b] = static_cast<unsigned char>(b);
        Converter_t::Result result{};
        const std::optional<char32_t> character = decodeOne(decoder, &byte, 1, &result);
        if (result == Converter_t::Result::Incomplete) {
            for (unsigned trail = 1; trail < 256; ++trail) {
                const char pair[2] = {byte, static_cast<char>(trail)};
                if (decodeOne(decoder, pair, 2))
                    tables.pairs[b].set(trail);
            }
            tables.lead.set(b);
            continue;
        }
        if (!character)
            continue;
        const char32_t upperCase = upper(*character);
        // Windows' case mapping never turns a letter outside ASCII into an ASCII one: the
        // Turkish dotless i (and the long s) keep their case there, unlike in Unicode's table.
        if (upperCase == *character || (*character > 0x7F && upperCase <= 0x7F))
            continue;
        if (const std::optional<unsigned char> coded = encodeOne(encoder, upperCase))
            tables.upper[b] = *coded;
    }
    return true;
}

} // namespace glo
