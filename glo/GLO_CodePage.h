#ifndef GLO_GLO_CODEPAGE_H
#define GLO_GLO_CODEPAGE_H

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <locale>
#include <memory>
#include <span>

namespace glo {

// A Windows ANSI code page as the text services see it: how long the character at a position is
// and how a single-byte character upper-cases. Handheld names are bytes in such a code page, so
// these tables stand in for the Windows runtime's `mblen` and `toupper`, independent of the
// process's own (usually UTF-8) locale. The tables are not typed in: they are read from the
// system's own converters (the Windows code page services, or iconv on POSIX) the first time a
// code page is asked for.
class CodePage_t {
public:
    // What the system's converter says about every byte of the code page.
    struct Tables_t {
        std::bitset<256> lead;                   // starts a two-byte character
        std::array<std::bitset<256>, 256> pairs; // [lead][trail]: a character of the code page
        std::array<unsigned char, 256> upper{};  // upper case of each single byte (itself if none)
    };

    // The Windows ANSI code pages: the ones every system has a converter for.
    static std::span<const uint32_t> ansiCodePages();

    // The code page with that number, built once per process; null when the system has no
    // converter for it or it is not a single- or double-byte code page.
    static const CodePage_t* find(uint32_t number);

    // The code page the text services use when no locale is given (the runtime's current
    // locale); 1252 until setCurrent is called.
    static const CodePage_t& current();
    // Returns false (and changes nothing) for a code page find does not know.
    static bool setCurrent(uint32_t number);

    CodePage_t(uint32_t number, const Tables_t& tables);

    uint32_t number() const { return m_number; }
    bool isDoubleByte() const { return m_lead.any(); }

    // Length in bytes of the character starting at `s`, given `n` >= 1 bytes left: 1 or 2, or -1
    // for an incomplete or invalid pair (a lead byte at the end, or followed by a byte that makes
    // no character with it). A single byte is always one character, assigned or not.
    int charLength(const char* s, std::size_t n) const;
    char toUpper(char c) const { return static_cast<char>(m_upper[static_cast<unsigned char>(c)]); }

private:
    uint32_t m_number;
    std::bitset<256> m_lead;
    std::unique_ptr<std::array<std::bitset<256>, 256>> m_pairs; // only for double-byte code pages
    std::array<unsigned char, 256> m_upper;
};

// Fills `tables` from the system's converter for code page `number`; false when there is none.
// One implementation per platform.
bool readSystemCodePage(uint32_t number, CodePage_t::Tables_t& tables);

// Locale facet that carries a code page, so that a std::locale can say how its text is coded.
class CodePageFacet_t : public std::locale::facet {
public:
    static std::locale::id id;
    explicit CodePageFacet_t(const CodePage_t& codePage) : std::locale::facet(0), m_codePage(codePage) {}
    const CodePage_t& codePage() const { return m_codePage; }

private:
    const CodePage_t& m_codePage;
};

// The code page of a locale: its facet's, else the current one.
const CodePage_t& codePageOf(const std::locale& locale);

} // namespace glo

#endif
