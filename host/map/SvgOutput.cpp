#include "host/map/SvgOutput.h"

#include <cstdio>

namespace host {

std::string fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

} // namespace host
