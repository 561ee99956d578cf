#ifndef HOST_TEXT_SHORTESTNUMBER_H
#define HOST_TEXT_SHORTESTNUMBER_H

#include <string>

namespace host {

// The shortest text that reads back as `value` in the type the value has. A handheld records its
// elevations as floats, which reach us widened to double: a double that a float holds exactly is
// written as that float ("8848.86", not "8848.8603515625"), any other as the double. Plain
// decimals when `fixed` (no exponent), else the shorter of the two forms; negative zero keeps its
// sign ("-0.0"). Not for values that are not finite.
std::string shortestText(double value, bool fixed = false);

// Whether a float holds `value` exactly.
bool heldByFloat(double value);

} // namespace host

#endif
