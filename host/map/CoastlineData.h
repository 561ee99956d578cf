#ifndef HOST_MAP_COASTLINEDATA_H
#define HOST_MAP_COASTLINEDATA_H

#include "host/map/Extent.h"

#include <string>
#include <utility>
#include <vector>

namespace host {

// A piece of shoreline in map degrees (x east of the map's west edge, y latitude). Level 1 is the
// sea's shore, 2 a lake's, 3 an island's in a lake, 4 a pond's on such an island; 5 and 6 the
// Antarctic ice front and grounding line.
struct CoastLine_t {
    int level = 1;
    std::vector<std::pair<double, double>> points;
};

// Whether this build reads coastline data sets at all (netCDF was found when it was built).
bool coastlineReaderBuilt();

// The shoreline pieces of a binned coastline data set (netCDF, shorelines cut into bins of whole
// minutes, points as 16-bit steps from each bin's south-west corner) that come into `window`, for a
// map whose x 0 lies at `westLongitude` degrees. Nothing when the file is missing, is not such a
// data set, or holds an index out of its own bounds.
std::vector<CoastLine_t> readCoastlines(const std::string& file, double westLongitude,
                                        const Extent_t& window);

} // namespace host

#endif
