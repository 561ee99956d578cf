#include "win/WIN_Locale.h"

#include "glo/GLO_CodePage.h"

#include <optional>
#include <utility>

namespace win {

namespace {
uint32_t g_codePage = 1252;
std::optional<glo::LocaleDescription_t> g_default;
} // namespace

uint32_t setAnsiCodePage(uint32_t codePage) {
    g_default.reset();
    return std::exchange(g_codePage, codePage);
}

const glo::LocaleDescription_t& DefaultLocale() {
    if (!g_default)
        g_default = glo::LocaleDescription_t{"", "", g_codePage};
    return *g_default;
}

void applyDefaultLocale() {
    const glo::LocaleDescription_t& description = DefaultLocale();
    glo::localeFor(description); // raises for a code page without tables
    glo::CodePage_t::setCurrent(description.codePage);
}

} // namespace win
