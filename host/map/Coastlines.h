#ifndef HOST_MAP_COASTLINES_H
#define HOST_MAP_COASTLINES_H

#include "host/map/CoastlineData.h"
#include "host/map/Projection.h"

#include <ostream>
#include <string>

namespace host {

// Where shorelines come from when nothing else is said: the coastline data sets Debian packages.
constexpr const char* kCoastlineFolder = "/usr/share/gmt-gshhg";

// The data set for a map showing `degreesPerPixel`: `setting` names a file or a folder of
// binned_GSHHS_{c,l,i,h,f}.nc ("" means the standard folder). From a folder, the coarsest data set
// whose shorelines stray no more than a few pixels, else the nearest one there; none whose lines
// would stray more than ten pixels, nor a file so named. "" when there is none.
std::string coastlineFile(const std::string& setting, double degreesPerPixel);

// Shorelines as paths: the sea's ("coast") and lakes' ("lake"), only where they cross the frame.
void drawCoastlines(std::ostream& out, const Frame_t& frame, const std::vector<CoastLine_t>& lines);

} // namespace host

#endif
