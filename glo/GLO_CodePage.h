#ifndef GLO_GLO_CODEPAGE_H
#define GLO_GLO_CODEPAGE_H

#include <cstddef>
#include <cstdint>
#include <locale>

namespace glo {

// A Windows ANSI code page as the text services see it: how long the character at a position is
// and how a single-byte character upper-cases. Handheld names are bytes in such a code page, so
// these tables stand in for the Windows runtime's `mblen` and `toupper`, independent of the
// process's own (usually UTF-8) locale.
class CodePage_t {
public:
    // The code pages with tables: 1252, and the double-byte 932, 936, 949 and 950.
    // Returns null for any other number.
    static const CodePage_t* find(uint32_t number);

    // The code page the text services use when no locale is given (the runtime's current
    // locale); 1252 until setCurrent is called.
    static const CodePage_t& current();
    // Returns false (and changes nothing) for a code page without tables.
    static bool setCurrent(uint32_t number);

    uint32_t number() const { return m_number; }
    bool isDoubleByte() const { return m_leadFirst != 0; }

    // Length in bytes of the character starting at `s`, given `n` >= 1 bytes left: 1 or 2, or -1
    // for an incomplete or invalid pair (a lead byte at the end, or followed by a non-trail byte).
    int charLength(const char* s, std::size_t n) const;
    char toUpper(char c) const;

    constexpr CodePage_t(uint32_t number, unsigned char leadFirst, unsigned char leadLast,
                         unsigned char leadFirst2, unsigned char leadLast2, unsigned char trailFirst,
                         unsigned char trailLast, bool westernUpper)
        : m_number(number), m_leadFirst(leadFirst), m_leadLast(leadLast), m_leadFirst2(leadFirst2),
          m_leadLast2(leadLast2), m_trailFirst(trailFirst), m_trailLast(trailLast),
          m_westernUpper(westernUpper) {}

private:
    bool isLead(unsigned char c) const;
    bool isTrail(unsigned char c) const;

    uint32_t m_number;
    unsigned char m_leadFirst, m_leadLast, m_leadFirst2, m_leadLast2;
    unsigned char m_trailFirst, m_trailLast;
    bool m_westernUpper;
};

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
