#include "win/WIN_Exception.h"

#include <windows.h>

namespace win {

uint32_t lastErrorCode() {
    return static_cast<uint32_t>(GetLastError());
}

std::string errorText(uint32_t code) {
    char buffer[256] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer, sizeof buffer, nullptr);
    // Without a system text for the code the message is the first line alone.
    return "Windows Error Code: " + std::to_string(code) + "\n" + std::string(buffer, length);
}

} // namespace win
