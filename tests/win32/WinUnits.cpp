// Checks of the Windows halves of the foundation, run under Wine: system error texts, version
// blocks and the default locale.
#include "glo/GLO_Exception.h"
#include "win/WIN_Exception.h"
#include "win/WIN_FaultTranslation.h"
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

// Works with many values at once, so that they sit in the registers a callee must preserve, then
// faults while they are still live there.
__attribute__((noinline)) int clobberThenFault(volatile int* nowhere, int seed) {
    int a = seed * 3, b = seed ^ 0x55, c = seed + 7, d = seed * seed, e = seed - 9, f = seed << 2;
    for (int i = 0; i < seed; ++i) {
        a += b ^ i;
        b += c * i;
        c += d - i;
        d += e + i;
        e += f ^ (i * 3);
        f += a - (i << 1);
    }
    return *nowhere + a + b + c + d + e + f;
}

// The caller's own values, live across the translated fault in registers a callee must
// preserve, are intact when the exception reaches it.
__attribute__((noinline)) int opaque(int seed, int factor) {
    return seed * factor;
}

__attribute__((noinline)) bool valuesSurviveATranslatedFault(int seed) {
    const int a = opaque(seed, 11), b = opaque(seed, 13), c = opaque(seed, 17), d = opaque(seed, 19),
              e = opaque(seed, 23), f = opaque(seed, 29);
    int result = 0;
    bool translated = false;
    try {
        win::translatingFaults([&] { result = clobberThenFault(nullptr, seed); });
    } catch (const win::StructuredException_t&) {
        translated = true;
    }
    return translated && result == 0 && a == seed * 11 && b == seed * 13 && c == seed * 17 &&
           d == seed * 19 && e == seed * 23 && f == seed * 29;
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

    win::installFaultTranslator();
    check(valuesSurviveATranslatedFault(argc + 40), "a caller's values survive a translated fault");
    win::removeFaultTranslator();

    const glo::LocaleDescription_t& locale = win::DefaultLocale();
    std::printf("default locale %s\n", glo::localeName(locale).c_str());
    check(locale.codePage == GetACP(), "the default locale's code page is the system's");
    return g_failures == 0 ? 0 : 1;
}
