#ifndef HOST_MAP_MAPSVG_H
#define HOST_MAP_MAPSVG_H

#include "nav/NAV_Database.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace host {

struct MapSettings_t {
    // Where shorelines come from: a data set file, or a folder of them; "" for the standard folder.
    // A path that holds none leaves the shorelines out and the map is drawn all the same.
    std::string coastlines;
    // The names of the tracks to draw (as the legend writes them); none: every track.
    std::vector<std::string> tracks;
};

// An SVG map of every track: an overview with a graticule, shorelines and a scale bar; when tracks
// lie in groups far apart, a lettered frame per group on the overview and an inset map per group
// below it (for the groups of the most points, as many as a page holds); a legend with each track's
// line, its inset's letter and its name.
// @exception std::invalid_argument for a name in settings.tracks that no track has.
void writeMapSvg(const nav::Database_t& database, uint32_t codePage, const MapSettings_t& settings,
                 std::ostream& out);

} // namespace host

#endif
