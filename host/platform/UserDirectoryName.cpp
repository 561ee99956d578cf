#include "host/platform/UserDirectoryName.h"

#include "host/text/CodePoints.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace host {

namespace {

// Most file systems take 255 bytes in a name; the room left is for a "_<id>" that tells two
// users with the same name apart.
constexpr std::size_t kMostBytes = 240;

bool keptAscii(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

} // namespace

std::string directoryNameFor(const std::string& userName) {
    std::string name;
    for (std::size_t at = 0; at < userName.size();) {
        const CodePoint_t c = codePointAt(userName, at);
        std::string_view piece(userName.data() + at, c.size);
        at += c.size;
        const bool kept = c.value && (*c.value < 0x80 ? keptAscii(static_cast<char>(*c.value))
                                                      : !isSpaceOrControl(*c.value));
        if (name.size() + (kept ? piece.size() : 1) > kMostBytes)
            break;
        if (kept)
            name.append(piece);
        else
            name.push_back('_');
    }
    while (!name.empty() && name[0] == '.')
        name.erase(0, 1);
    return name.empty() ? std::string("user") : name;
}

bool isRootFileName(const std::string& name) {
    static constexpr std::array<std::string_view, 3> kFiles{"users.ini", "conduits.ini", "HotSync.log"};
    return std::find(kFiles.begin(), kFiles.end(), name) != kFiles.end() || name.starts_with(".hotsync-") ||
           name.starts_with(".users.lock");
}

} // namespace host
