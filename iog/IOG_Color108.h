#ifndef IOG_IOG_COLOR108_H
#define IOG_IOG_COLOR108_H

#include "glo/GLO_TwoWayLookupTable.h"
#include "nav/NAV_Color.h"

#include <cstdint>

namespace iog {

// The handheld's 108-colour palette. The conduit knows codes 0..15 and 255 (the active log's).
struct Color108_t {
    enum Color_t : int32_t { ActiveLog = 255 };
};

using ColorTable_t = glo::TwoWayLookupTable_t<Color108_t::Color_t, nav::Color_t>;

// Palette codes 0..15 pair with database colours 1..16, code 255 with the default colour 0.
const ColorTable_t& colorTable();

// @exception glo::OutOfRange_t (line 62) for a code the table does not hold.
nav::Color_t toNavColor(Color108_t::Color_t code);

} // namespace iog

#endif
