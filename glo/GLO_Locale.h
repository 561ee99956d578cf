#ifndef GLO_GLO_LOCALE_H
#define GLO_GLO_LOCALE_H

#include <cstdint>
#include <locale>
#include <string>

namespace glo {

// What names a locale: language and country as the system reports them, and the ANSI code page.
struct LocaleDescription_t {
    std::string language;
    std::string country;
    uint32_t codePage = 0;
};

// Code page first, then language, then country.
bool operator<(const LocaleDescription_t& a, const LocaleDescription_t& b);

// "Language_Country.CodePage", "Language" without a country, ".CodePage" without a language.
std::string localeName(const LocaleDescription_t& description);

// The locale for a description, built once and kept for the life of the process.
// @exception LocaleDoesNotExist_t (message: the locale name) when no locale can be built for it;
// nothing is cached then.
const std::locale& localeFor(const LocaleDescription_t& description);

} // namespace glo

#endif
