#ifndef HOST_MAP_INSETS_H
#define HOST_MAP_INSETS_H

#include "host/map/Extent.h"
#include "host/map/LabelPlacement.h"
#include "host/map/Projection.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace host {

// The letter of the inset at `index`: A, B, ...
std::string insetLetter(std::size_t index);

// A letter in a box, the box classed "<kind>-box": an overview group's ("overview-letter") or an
// inset's ("inset-letter").
void drawLetter(std::ostream& out, const char* kind, const PageBox_t& box, const std::string& letter);

// Each group's frame on the overview: its extent with a few pixels round it.
std::vector<PageBox_t> groupFrames(const std::vector<Extent_t>& groups, const Frame_t& overview);

// On the overview, a dashed frame around each group's extent and the group's letter beside it, clear
// of the other letters, the graticule's labels and the scale bar; a letter pushed away from its
// frame has a leader line to it.
void drawGroupFrames(std::ostream& out, const std::vector<PageBox_t>& frames, const Frame_t& overview);

} // namespace host

#endif
