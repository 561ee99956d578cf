#include "iog/IOG_Color108.h"

#include <array>
#include <utility>

namespace iog {

namespace {

using Pair = std::pair<Color108_t::Color_t, nav::Color_t>;

constexpr Pair pair(int32_t code, int32_t color) {
    return {static_cast<Color108_t::Color_t>(code), static_cast<nav::Color_t>(color)};
}

constexpr std::array<Pair, 17> kPairs = {
    pair(0, 1),   pair(1, 2),   pair(2, 3),   pair(3, 4),   pair(4, 5),   pair(5, 6),
    pair(6, 7),   pair(7, 8),   pair(8, 9),   pair(9, 10),  pair(10, 11), pair(11, 12),
    pair(12, 13), pair(13, 14), pair(14, 15), pair(15, 16), pair(255, 0),
};

const ColorTable_t g_table(kPairs.data(), kPairs.size());

} // namespace

const ColorTable_t& colorTable() {
    return g_table;
}

nav::Color_t toNavColor(Color108_t::Color_t code) {
    auto found = g_table.findA(code);
    if (found == g_table.end())
        throw glo::OutOfRange_t("IOG_Color108.cpp", 62);
    return found->second;
}

} // namespace iog
