#include "host/hotsync/SyncTypes.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace host {

const std::vector<SyncType_t>& syncTypes() {
    static const std::vector<SyncType_t> types{
        {0, "fast", "Fast sync"},
        {1, "slow", "Slow sync"},
        {2, "handheld-to-desktop", "Handheld overwrites desktop"},
        {3, "desktop-to-handheld", "Desktop overwrites handheld"},
        {4, "install", "Install"},
        {5, "backup", "Backup"},
        {6, "nothing", "Do nothing"},
        {7, "profile-install", "Profile install"},
    };
    return types;
}

std::optional<int32_t> parseSyncType(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const SyncType_t& type : syncTypes()) {
        int32_t number = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (lower == type.name ||
            (error == std::errc() && end == text.data() + text.size() && number == type.number))
            return type.number;
    }
    return std::nullopt;
}

std::string syncTypeWords(int32_t number) {
    for (const SyncType_t& type : syncTypes())
        if (type.number == number)
            return type.words;
    return "sync type " + std::to_string(number);
}

} // namespace host
