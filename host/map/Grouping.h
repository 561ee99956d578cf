#ifndef HOST_MAP_GROUPING_H
#define HOST_MAP_GROUPING_H

#include "host/map/PlotTrack.h"

#include <cstddef>
#include <vector>

namespace host {

// Tracks that lie together, as indices: tracks whose gap is small beside their size (or under
// 5 km) share a group. The group with most points comes first.
std::vector<std::vector<std::size_t>> groupTracks(const std::vector<PlotTrack_t>& tracks);

} // namespace host

#endif
