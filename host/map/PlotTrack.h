#ifndef HOST_MAP_PLOTTRACK_H
#define HOST_MAP_PLOTTRACK_H

#include "host/map/Extent.h"
#include "nav/NAV_Database.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace host {

// A track as the map draws it: its name in UTF-8, its colour, its points in map degrees.
struct PlotTrack_t {
    std::string name;
    std::string colour;
    std::vector<std::pair<double, double>> points;
    Extent_t extent;
};

// The tracks that hold points, with map x measured from `westLongitude` (set to the west edge of
// the box of every track drawn, so that tracks across the antimeridian lie side by side). With
// names in `only` (as the map writes them, in UTF-8), just the tracks of those names.
// @exception std::invalid_argument for a name in `only` that no track has.
std::vector<PlotTrack_t> plotTracks(const nav::Database_t& database, uint32_t codePage,
                                    const std::vector<std::string>& only, double& westLongitude);

} // namespace host

#endif
