#include "glo/GLO_MBString.h"

#include "glo/GLO_Exception.h"

#include <cstring>

namespace glo {

std::size_t characterCount(const std::string& text, const CodePage_t& codePage) {
    const char* s = text.c_str();
    const std::size_t bytes = std::strlen(s);
    std::size_t count = 0;
    for (std::size_t at = 0; at < bytes; ++count) {
        const int length = codePage.charLength(s + at, bytes - at);
        if (length < 0)
            throw InvalidMBCharacter_t("GLO_MBString.cpp", 122);
        at += static_cast<std::size_t>(length);
    }
    return count;
}

} // namespace glo
