// Checks of the Windows halves of the foundation, run under Wine: system error texts, version
// blocks and the default locale.
#include "glo/GLO_Exception.h"
#include "win/WIN_Exception.h"
#include "win/WIN_FileVerInfo.h"
#include "win/WIN_Locale.h"

#include <cstdio>
#include <string>
#include <windows.h>

namespace {

int g_failures = 0;

void check(bool condition, const std::string& what) {
    std::printf("%s %s\n", condition ? "ok" : "FAIL", what.c_str());
    if (!condition)
        ++g_failures;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string text = win::errorText(5);
    check(text.rfind("Windows Error Code: 5\n", 0) == 0 && text.size() > 24, "error text of code 5: " + text);

    try {
        win::FileVerInfo_t info("WinUnits.exe");
        check(false, "a file without a version block raises");
    } catch (const win::Error_t& e) {
        check(std::string(e.source()) == "WIN_FileVerInfo.cpp" && e.line() == 29 && e.code() != 0,
              "a file without a version block raises line 29");
    }
    if (argc > 1) {
        const std::vector<uint16_t> version = win::FileVerInfo_t(argv[1]).FileVersion();
        check(version == std::vector<uint16_t>{2, 3, 1, 10}, "version 2.3.1.10 reads as 2, 3, 1, 10");
    }

    const glo::LocaleDescription_t& locale = win::DefaultLocale();
    std::printf("default locale %s\n", glo::localeName(locale).c_str());
    check(locale.codePage == GetACP(), "the default locale's code page is the system's");
    return g_failures == 0 ? 0 : 1;
}
