#ifndef HOST_MAP_LEGEND_H
#define HOST_MAP_LEGEND_H

#include "host/map/TrackStyle.h"

#include <ostream>
#include <string>
#include <vector>

namespace host {

// A line of the legend: the track's name, how it is drawn and the letter of the inset that shows
// it ("" when there are no insets, kNoInset when its group is past the last inset).
struct LegendEntry_t {
    std::string name;
    TrackStyle_t style;
    std::string inset;
};

constexpr double kLegendColumn = 230, kLegendRow = 18;
inline constexpr const char* kNoInset = "\u2013";

// The legend in columns of `rows` lines from (left, top): a sample of each line, its inset letter,
// and its name, cut with "…" when it does not fit the column (the whole name is its title).
void drawLegend(std::ostream& out, const std::vector<LegendEntry_t>& entries, double left, double top,
                std::size_t rows);

} // namespace host

#endif
