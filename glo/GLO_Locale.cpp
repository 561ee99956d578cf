#include "glo/GLO_Locale.h"

#include "glo/GLO_CodePage.h"
#include "glo/GLO_Exception.h"

#include <map>
#include <tuple>

namespace glo {

bool operator<(const LocaleDescription_t& a, const LocaleDescription_t& b) {
    return std::tie(a.codePage, a.language, a.country) < std::tie(b.codePage, b.language, b.country);
}

std::string localeName(const LocaleDescription_t& description) {
    const std::string codePage = std::to_string(description.codePage);
    if (description.language.empty())
        return "." + codePage;
    if (!description.country.empty())
        return description.language + "_" + description.country + "." + codePage;
    return description.language;
}

namespace {

std::map<LocaleDescription_t, std::locale>& cache() {
    static std::map<LocaleDescription_t, std::locale> locales;
    return locales;
}

// The locale carries the code page's text rules as a facet; the names are in the Windows form,
// which the C++ library here does not know, so the classic locale underlies them.
std::locale buildLocale(const LocaleDescription_t& description, const std::string& name) {
    const CodePage_t* page = CodePage_t::find(description.codePage);
    if (!page)
        throw LocaleDoesNotExist_t("GLO_Locale.cpp", 58, name);
    return std::locale(std::locale::classic(), new CodePageFacet_t(*page));
}

} // namespace

const std::locale& localeFor(const LocaleDescription_t& description) {
    auto& locales = cache();
    auto found = locales.find(description);
    if (found != locales.end())
        return found->second;
    std::locale locale = buildLocale(description, localeName(description));
    return locales.emplace(description, std::move(locale)).first->second;
}

} // namespace glo
