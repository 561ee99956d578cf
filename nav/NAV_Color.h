#ifndef NAV_NAV_COLOR_H
#define NAV_NAV_COLOR_H

#include <cstdint>

namespace nav {

// A track colour in the database: 0 the default colour, 1..16 the palette colours.
enum Color_t : int32_t {
    DefaultColor = 0,
    Color1,
    Color2,
    Color3,
    Color4,
    Color5,
    Color6,
    Color7,
    Color8,
    Color9,
    Color10,
    Color11,
    Color12,
    Color13,
    Color14,
    Color15,
    Color16,
};

} // namespace nav

#endif
