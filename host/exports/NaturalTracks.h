#ifndef HOST_EXPORTS_NATURALTRACKS_H
#define HOST_EXPORTS_NATURALTRACKS_H

// The order every export lists tracks and routes in: their names as people sort them ("Walk 2"
// before "Walk 10"), as the map's legend does.

#include "nav/NAV_Database.h"

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct NamedTrack_t {
    std::string name; // UTF-8
    const nav::Track_t* track = nullptr;
};

struct NamedRoute_t {
    std::string name; // UTF-8
    const nav::Route_t* route = nullptr;
};

std::vector<NamedTrack_t> tracksInNaturalOrder(const nav::Database_t& database, uint32_t codePage);
std::vector<NamedRoute_t> routesInNaturalOrder(const nav::Database_t& database, uint32_t codePage);

} // namespace host

#endif
