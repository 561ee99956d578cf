#ifndef HOST_MAP_TRACKDRAWING_H
#define HOST_MAP_TRACKDRAWING_H

#include "host/map/PlotTrack.h"
#include "host/map/Projection.h"
#include "host/map/TrackStyle.h"

#include <ostream>

namespace host {

// A track on a map: its line in its style, thinned to what the screen shows, an open circle at
// its start and a filled square at its end; a track too small to see is a ring. The group carries
// the track's name as its title.
void drawTrack(std::ostream& out, const PlotTrack_t& track, const TrackStyle_t& style, const Frame_t& frame);

} // namespace host

#endif
