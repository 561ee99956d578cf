#include "win/WIN_Exception.h"

#include <cerrno>
#include <cstring>

namespace win {

uint32_t lastErrorCode() {
    return static_cast<uint32_t>(errno);
}

std::string errorText(uint32_t code) {
    char buffer[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    return "Windows Error Code: " + std::to_string(code) + "\n" + (text ? text : "") + "\n";
}

} // namespace win
