#include "glo/GLO_CodePage.h"

#include <map>

namespace glo {

std::locale::id CodePageFacet_t::id;

namespace {

constexpr uint32_t kAnsiCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                       1252, 1253, 1254, 1255, 1256, 1257, 1258};

std::map<uint32_t, std::unique_ptr<CodePage_t>>& builtPages() {
    static std::map<uint32_t, std::unique_ptr<CodePage_t>> pages;
    return pages;
}

// Plain ASCII, for a system that has no converter even for 1252: names still compare, with only
// the ASCII letters folded.
const CodePage_t& asciiOnly() {
    static const CodePage_t page = [] {
        CodePage_t::Tables_t tables;
        for (unsigned b = 0; b < 256; ++b)
            tables.upper[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 0x20 : b);
        return CodePage_t(1252, tables);
    }();
    return page;
}

const CodePage_t* g_current = nullptr;

} // namespace

CodePage_t::CodePage_t(uint32_t number, const Tables_t& tables)
    : m_number(number), m_lead(tables.lead), m_upper(tables.upper) {
    if (m_lead.any())
        m_pairs = std::make_unique<std::array<std::bitset<256>, 256>>(tables.pairs);
}

std::span<const uint32_t> CodePage_t::ansiCodePages() {
    return kAnsiCodePages;
}

const CodePage_t* CodePage_t::find(uint32_t number) {
    auto& pages = builtPages();
    if (auto found = pages.find(number); found != pages.end())
        return found->second.get();
    auto tables = std::make_unique<Tables_t>();
    if (!readSystemCodePage(number, *tables))
        return nullptr;
    return pages.emplace(number, std::make_unique<CodePage_t>(number, *tables)).first->second.get();
}

const CodePage_t& CodePage_t::current() {
    if (!g_current)
        g_current = find(1252);
    return g_current ? *g_current : asciiOnly();
}

bool CodePage_t::setCurrent(uint32_t number) {
    const CodePage_t* page = find(number);
    if (!page)
        return false;
    g_current = page;
    return true;
}

int CodePage_t::charLength(const char* s, std::size_t n) const {
    const auto first = static_cast<unsigned char>(s[0]);
    if (!m_lead[first])
        return 1;
    if (n < 2 || !(*m_pairs)[first][static_cast<unsigned char>(s[1])])
        return -1;
    return 2;
}

const CodePage_t& codePageOf(const std::locale& locale) {
    if (std::has_facet<CodePageFacet_t>(locale))
        return std::use_facet<CodePageFacet_t>(locale).codePage();
    return CodePage_t::current();
}

} // namespace glo
