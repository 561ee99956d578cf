#ifndef HOST_MAP_MAPSVG_H
#define HOST_MAP_MAPSVG_H

#include "nav/NAV_Database.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace host {

struct MapSettings_t {
    // Where shorelines come from: a data set file, or a folder of them; "" for the standard folder.
    // A path that holds none leaves the shorelines out and the map is drawn all the same.
    std::string coastlines;
};

// An SVG map of every track: an overview with a graticule, shorelines and a scale bar; when tracks
// lie in groups far apart, a lettered frame per group on the overview and an inset map per group
// below it; a legend with each track's line, its inset's letter and its name.
void writeMapSvg(const nav::Database_t& database, uint32_t codePage, const MapSettings_t& settings,
                 std::ostream& out);

} // namespace host

#endif
