#include "host/exports/Palette.h"

namespace host {

namespace {
constexpr const char* kPalette[17] = {"#d62728", "#000000", "#8b0000", "#006400", "#808000", "#00008b",
                                      "#8b008b", "#008b8b", "#7f7f7f", "#404040", "#ff0000", "#00c000",
                                      "#e0c000", "#0000ff", "#ff00ff", "#00b0d0", "#c0c0c0"};
} // namespace

const char* paletteColour(nav::Color_t color) {
    return kPalette[color >= 0 && color <= 16 ? color : 0];
}

} // namespace host
