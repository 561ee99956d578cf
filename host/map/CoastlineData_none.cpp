// Built without netCDF: maps are drawn without shorelines.
#include "host/map/CoastlineData.h"

namespace host {

bool coastlineReaderBuilt() {
    return false;
}

std::vector<CoastLine_t> readCoastlines(const std::string&, double, const Extent_t&) {
    return {};
}

} // namespace host
