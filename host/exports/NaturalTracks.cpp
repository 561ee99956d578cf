#include "host/exports/NaturalTracks.h"

#include "host/text/NaturalOrder.h"
#include "host/text/Utf8Text.h"

#include <algorithm>

namespace host {

namespace {

// Names that compare equal keep the database's order.
template <class Named> void sortNaturally(std::vector<Named>& named) {
    std::stable_sort(named.begin(), named.end(),
                     [](const Named& a, const Named& b) { return naturalLess(a.name, b.name); });
}

} // namespace

std::vector<NamedTrack_t> tracksInNaturalOrder(const nav::Database_t& database, uint32_t codePage) {
    std::vector<NamedTrack_t> tracks;
    for (const auto& [id, track] : database.tracks())
        tracks.push_back({toUtf8(id.str(), codePage), &track});
    sortNaturally(tracks);
    return tracks;
}

std::vector<NamedRoute_t> routesInNaturalOrder(const nav::Database_t& database, uint32_t codePage) {
    std::vector<NamedRoute_t> routes;
    for (const auto& [id, route] : database.routes())
        routes.push_back({toUtf8(id.name().str(), codePage), &route});
    sortNaturally(routes);
    return routes;
}

} // namespace host
