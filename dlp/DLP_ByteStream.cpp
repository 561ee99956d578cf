#include "dlp/DLP_ByteStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dlp {

std::string secondsText(Timeout_t timeout) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(timeout.count()) / 1000);
    return text;
}

std::string systemErrorText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void readExactly(ByteStream_t& stream, char* data, std::size_t count, Timeout_t timeout) {
    while (count > 0) {
        const std::size_t got = stream.readSome(data, count, timeout);
        data += got;
        count -= got;
    }
}

} // namespace dlp
