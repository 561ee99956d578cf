#ifndef HOST_EXPORTS_PALETTE_H
#define HOST_EXPORTS_PALETTE_H

#include "nav/NAV_Color.h"

namespace host {

// Our colour for a database colour, as "#rrggbb": 0 (default) to 16; anything else is the default.
const char* paletteColour(nav::Color_t color);

} // namespace host

#endif
