#ifndef HOST_MAP_TRACKSTYLE_H
#define HOST_MAP_TRACKSTYLE_H

#include <string>
#include <vector>

namespace host {

// How a track's line is drawn: its colour and a dash pattern (an SVG stroke-dasharray, "" solid).
struct TrackStyle_t {
    std::string colour;
    std::string dashes;
    bool operator==(const TrackStyle_t&) const = default;
};

// The dash pattern of the n-th track of one colour: solid first, then patterns that read apart at
// a glance, then a family that never repeats.
std::string dashPattern(std::size_t n);

// Styles for tracks in legend order, given their colours ("#rrggbb"): a track keeps its own colour
// (the handheld has only 16), and tracks of one colour, or of colours too near to tell apart, take
// the patterns in turn, so that no two tracks look alike however many there are.
std::vector<TrackStyle_t> assignStyles(const std::vector<std::string>& colours);

} // namespace host

#endif
