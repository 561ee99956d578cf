#include "win/WIN_Locale.h"

#include "glo/GLO_CodePage.h"
#include "glo/GLO_Exception.h"
#include "win/WIN_Exception.h"

#include <clocale>
#include <optional>
#include <sstream>
#include <vector>
#include <windows.h>

namespace win {

namespace {

constexpr const char* kSource = "WIN_Locale.cpp";

// A locale text read in two calls: the size, then the text.
std::string localeText(LCID locale, LCTYPE kind) {
    const int size = GetLocaleInfoA(locale, kind, nullptr, 0);
    if (size == 0)
        throw Error_t(kSource, 87);
    std::vector<char> buffer(static_cast<std::size_t>(size));
    if (GetLocaleInfoA(locale, kind, buffer.data(), size) == 0)
        throw Error_t(kSource, 95);
    return std::string(buffer.data());
}

std::optional<glo::LocaleDescription_t> g_default;

} // namespace

uint32_t setAnsiCodePage(uint32_t) {
    return GetACP();
}

const glo::LocaleDescription_t& DefaultLocale() {
    if (!g_default) {
        const LCID locale = GetSystemDefaultLCID();
        std::istringstream codePageText(localeText(locale, LOCALE_IDEFAULTANSICODEPAGE));
        uint32_t codePage = 0;
        codePageText >> codePage;
        if (codePageText.fail() || codePageText.bad())
            throw glo::Assert_t(kSource, 40);
        g_default = glo::LocaleDescription_t{localeText(locale, LOCALE_SABBREVLANGNAME),
                                             localeText(locale, LOCALE_SENGCOUNTRY), codePage};
    }
    return *g_default;
}

void applyDefaultLocale() {
    const glo::LocaleDescription_t& description = DefaultLocale();
    // The C runtime takes the Windows name; our text services take the code page's tables, which
    // order names exactly as the native build does.
    std::setlocale(LC_ALL, glo::localeName(description).c_str());
    glo::localeFor(description);
    glo::CodePage_t::setCurrent(description.codePage);
}

} // namespace win
