// The code page tables from the system itself: its lead bytes, its conversions and its case
// mapping, so that names order as the system's own runtime orders them.
#include "glo/GLO_CodePage.h"

#include <windows.h>

namespace glo {

namespace {

bool isCharacter(uint32_t codePage, const char* bytes, int length) {
    WCHAR wide[2];
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, wide, 2) == 1;
}

// The upper case of a single byte through the system's case mapping, or the byte itself when the
// upper-case letter has no single byte of its own in the code page.
unsigned char upperOf(uint32_t codePage, unsigned char byte) {
    const char in = static_cast<char>(byte);
    WCHAR wide = 0;
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &in, 1, &wide, 1) != 1)
        return byte;
    WCHAR upper = 0;
    if (LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, &wide, 1, &upper, 1) != 1 || upper == wide)
        return byte;
    char out[2] = {};
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &upper, 1, out, sizeof out, nullptr,
                            &usedDefault) != 1 ||
        usedDefault)
        return byte;
    return static_cast<unsigned char>(out[0]);
}

} // namespace

bool readSystemCodePage(uint32_t number, CodePage_t::Tables_t& tables) {
    CPINFOEXA info;
    if (!GetCPInfoExA(number, 0, &info) || info.MaxCharSize > 2)
        return false;
    tables.lead.reset();
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<BYTE>(b);
        tables.upper[b] = byte;
        if (info.MaxCharSize == 2 && IsDBCSLeadByteEx(number, byte)) {
            for (unsigned trail = 1; trail < 256; ++trail) {
                const char pair[2] = {static_cast<char>(b), static_cast<char>(trail)};
                if (isCharacter(number, pair, 2))
                    tables.pairs[b].set(trail);
            }
            tables.lead.set(b);
            continue;
        }
        tables.upper[b] = upperOf(number, byte);
    }
    return true;
}

} // namespace glo
