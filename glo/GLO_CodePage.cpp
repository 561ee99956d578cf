#include "glo/GLO_CodePage.h"

namespace glo {

std::locale::id CodePageFacet_t::id;

namespace {

// Lead and trail byte ranges of the double-byte code pages. 932 has two lead ranges; a trail byte
// is never 0x7F in any of them.
constexpr CodePage_t kCodePages[] = {
    {1252, 0, 0, 0, 0, 0, 0, true},
    {932, 0x81, 0x9F, 0xE0, 0xFC, 0x40, 0xFC, false},
    {936, 0x81, 0xFE, 0x81, 0xFE, 0x40, 0xFE, false},
    {949, 0x81, 0xFE, 0x81, 0xFE, 0x41, 0xFE, false},
    {950, 0x81, 0xFE, 0x81, 0xFE, 0x40, 0xFE, false},
};

const CodePage_t* g_current = &kCodePages[0];

} // namespace

const CodePage_t* CodePage_t::find(uint32_t number) {
    for (const CodePage_t& page : kCodePages)
        if (page.m_number == number)
            return &page;
    return nullptr;
}

const CodePage_t& CodePage_t::current() {
    return *g_current;
}

bool CodePage_t::setCurrent(uint32_t number) {
    const CodePage_t* page = find(number);
    if (!page)
        return false;
    g_current = page;
    return true;
}

bool CodePage_t::isLead(unsigned char c) const {
    return isDoubleByte() &&
           ((c >= m_leadFirst && c <= m_leadLast) || (c >= m_leadFirst2 && c <= m_leadLast2));
}

bool CodePage_t::isTrail(unsigned char c) const {
    return c >= m_trailFirst && c <= m_trailLast && c != 0x7F;
}

int CodePage_t::charLength(const char* s, std::size_t n) const {
    const auto first = static_cast<unsigned char>(s[0]);
    if (!isLead(first))
        return 1;
    if (n < 2 || !isTrail(static_cast<unsigned char>(s[1])))
        return -1;
    return 2;
}

char CodePage_t::toUpper(char c) const {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z')
        return static_cast<char>(u - 0x20);
    if (!m_westernUpper)
        return c;
    // Windows-1252: the accented small letters, and the three pairs outside the Latin-1 block.
    switch (u) {
    case 0x9A:
        return static_cast<char>(0x8A); // s caron
    case 0x9C:
        return static_cast<char>(0x8C); // oe
    case 0x9E:
        return static_cast<char>(0x8E); // z caron
    case 0xFF:
        return static_cast<char>(0x9F); // y diaeresis
    default:
        break;
    }
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
        return static_cast<char>(u - 0x20);
    return c;
}

const CodePage_t& codePageOf(const std::locale& locale) {
    if (std::has_facet<CodePageFacet_t>(locale))
        return std::use_facet<CodePageFacet_t>(locale).codePage();
    return CodePage_t::current();
}

} // namespace glo
