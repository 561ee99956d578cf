#ifndef HOST_MAP_SCALEBAR_H
#define HOST_MAP_SCALEBAR_H

#include "host/map/Projection.h"

#include <ostream>

namespace host {

// The longest of 1, 2 or 5 times a power of ten metres that is at most `metres`.
double niceLength(double metres);

// A scale bar in the frame's bottom left corner, true at the frame's centre latitude: two halves,
// black and white, and its length beside it.
void drawScaleBar(std::ostream& out, const Frame_t& frame);

} // namespace host

#endif
