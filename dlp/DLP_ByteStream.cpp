#include "dlp/DLP_ByteStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Streams wait at least as long as asked; a few milliseconds cover their rounding.
constexpr std::chrono::milliseconds kRounding{5};

} // namespace

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

namespace dlp {

Timeout_t answerTime(Timeout_t timeout, std::size_t bytes) {
    return timeout + Timeout_t(static_cast<Timeout_t::rep>(bytes) * 1000 /
                               static_cast<Timeout_t::rep>(kSlowestBytesPerSecond));
}

Timeout_t sessionBase(Timeout_t timeout) {
    return timeout * 10;
}

void readExactlyBy(ByteStream_t& stream, char* data, std::size_t count, Deadline_t deadline,
                   const std::string& what, Timeout_t allowed, bool begun) {
    using namespace std::chrono;
    std::size_t got = 0;
    auto late = [&] {
        return LinkError_t("only " + std::to_string(got) + " bytes of " + what + " came within " +
                           secondsText(allowed));
    };
    while (got < count) {
        const auto now = steady_clock::now();
        if (now >= deadline)
            throw late();
        try {
            got += stream.readSome(data + got, count - got, ceil<milliseconds>(deadline - now));
        } catch (const LinkError_t&) {
            // A peer that said nothing at all is silent; one that began and stopped is too slow.
            if ((begun || got > 0) && steady_clock::now() + kRounding >= deadline)
                throw late();
            throw;
        }
    }
}

} // namespace dlp
