#include "host/map/TrackStyle.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace host {

namespace {
// Lines are 2 pixels wide; each pattern's period is short enough to show in a legend swatch.
constexpr std::array<const char*, 10> kPatterns = {
    "", "8 4", "2 3", "12 3 2 3", "5 5", "12 3 2 3 2 3", "16 4", "1 3", "6 2 2 2 2 2", "10 2 4 2"};
// Colours nearer than this (in RGB, 0 to 255 a channel) read as one on a map: the handheld's
// default red and its bright red are 69 apart; its dark and light cyan 78.
constexpr int kAlike = 75;

std::optional<std::array<int, 3>> rgb(const std::string& colour) {
    std::array<int, 3> channels{};
    if (colour.size() != 7 || colour[0] != '#')
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto [end, error] =
            std::from_chars(colour.data() + 1 + 2 * i, colour.data() + 3 + 2 * i, channels[i], 16);
        if (error != std::errc() || end != colour.data() + 3 + 2 * i)
            return std::nullopt;
    }
    return channels;
}

bool alike(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    const auto x = rgb(a), y = rgb(b);
    if (!x || !y)
        return false;
    int sum = 0;
    for (std::size_t i = 0; i < 3; ++i)
        sum += ((*x)[i] - (*y)[i]) * ((*x)[i] - (*y)[i]);
    return sum < kAlike * kAlike;
}

} // namespace

std::string dashPattern(std::size_t n) {
    if (n < kPatterns.size())
        return kPatterns[n];
    // "a 4 b 4": the only patterns with gaps of 4 around two dashes, each (a, b) once.
    const std::size_t m = n - kPatterns.size();
    return std::to_string(4 + 2 * (m % 8)) + " 4 " + std::to_string(1 + m / 8) + " 4";
}

std::vector<TrackStyle_t> assignStyles(const std::vector<std::string>& colours) {
    // Each look: the first colour seen of it and how many tracks have taken its patterns.
    std::vector<std::pair<std::string, std::size_t>> looks;
    std::vector<TrackStyle_t> styles;
    styles.reserve(colours.size());
    for (const std::string& colour : colours) {
        auto look = std::find_if(looks.begin(), looks.end(),
                                 [&](const auto& seen) { return alike(seen.first, colour); });
        if (look == looks.end())
            look = looks.insert(looks.end(), {colour, 0});
        styles.push_back({colour, dashPattern(look->second++)});
    }
    return styles;
}

} // namespace host
