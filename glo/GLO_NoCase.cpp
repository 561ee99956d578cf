#include "glo/GLO_NoCase.h"

#include "glo/GLO_CodePage.h"
#include "glo/GLO_Exception.h"
#include "glo/GLO_MBString.h"

#include <cstring>

namespace glo {

namespace {

unsigned codeValue(const char* s, int length) {
    const auto lead = static_cast<unsigned char>(s[0]);
    return length == 2 ? lead * 256u + static_cast<unsigned char>(s[1]) : lead;
}

} // namespace

bool noCaseLess(const std::string& a, const std::string& b, const std::locale& locale) {
    return noCaseLess(a, b, codePageOf(locale));
}

bool noCaseLess(const std::string& a, const std::string& b, const CodePage_t& page) {
    const std::size_t countA = characterCount(a, page);
    const std::size_t countB = characterCount(b, page);
    const std::size_t common = countA < countB ? countA : countB;

    const char* pa = a.c_str();
    const char* pb = b.c_str();
    std::size_t leftA = std::strlen(pa);
    std::size_t leftB = std::strlen(pb);
    for (std::size_t i = 0; i < common; ++i) {
        const int lengthA = page.charLength(pa, leftA);
        check(lengthA >= 0, "GLO_NoCase.cpp", 107);
        const int lengthB = page.charLength(pb, leftB);
        check(lengthB >= 0, "GLO_NoCase.cpp", 110);
        if (lengthA == 1 && lengthB == 1) {
            const auto upperA = static_cast<signed char>(page.toUpper(*pa));
            const auto upperB = static_cast<signed char>(page.toUpper(*pb));
            if (upperA != upperB)
                return upperA < upperB;
        } else {
            const unsigned valueA = codeValue(pa, lengthA);
            const unsigned valueB = codeValue(pb, lengthB);
            if (valueA != valueB)
                return valueA < valueB;
        }
        pa += lengthA;
        pb += lengthB;
        leftA -= static_cast<std::size_t>(lengthA);
        leftB -= static_cast<std::size_t>(lengthB);
    }
    return countA < countB;
}

} // namespace glo
