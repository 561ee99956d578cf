#ifndef NAV_NAV_WAYPOINT_H
#define NAV_NAV_WAYPOINT_H

#include "geo/GEO_Position.h"
#include "glo/GLO_Optional.h"

#include <cstdint>
#include <string>

namespace nav {

// A waypoint. Besides its position the fields are carried unchanged between handheld, model and
// file; their meaning belongs to the applications that fill them.
struct Waypoint_t {
    geo::Position_t position;
    std::string textA;
    glo::Optional_t<double> optionalA;
    uint32_t wordA = 0, wordB = 0, wordC = 0;
    std::string textB, textC, textD;
    uint8_t byteA = 0;
    glo::Optional_t<double> optionalB;
    std::string textE, textF;
    double realA = 0.0; // written rounded to a 32-bit integer
    std::string textG;
    glo::Optional_t<uint8_t> optionalByte; // not written to files
};

} // namespace nav

#endif
