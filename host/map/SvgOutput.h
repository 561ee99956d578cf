#ifndef HOST_MAP_SVGOUTPUT_H
#define HOST_MAP_SVGOUTPUT_H

#include <string>

namespace host {

// A coordinate with one decimal, what a screen can show.
std::string fixed(double value);

// The attributes that keep a label readable over lines: a halo in the paper's colour.
constexpr const char* kHalo =
    "stroke=\"#fbfaf5\" stroke-width=\"3\" paint-order=\"stroke\" stroke-linejoin=\"round\"";

} // namespace host

#endif
