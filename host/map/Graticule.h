#ifndef HOST_MAP_GRATICULE_H
#define HOST_MAP_GRATICULE_H

#include "host/map/LabelPlacement.h"
#include "host/map/Projection.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace host {

// The graticule's step in seconds of arc: the finest of 1″ 2″ 5″ 10″ 15″ 30″ 1′ 2′ 5′ 10′ 15′ 30′
// 1° 2° 5° 10° 15° 30° 45° 90° whose lines lie at least `leastPixels` apart.
int64_t graticuleStep(double pixelsPerDegree, double leastPixels);

// A graticule line's label: "46°N", "7°30′E", "46°00′30″S", "0°", "180°"; minutes and seconds are
// shown when the step needs them. `arcSeconds` is any longitude (wrapped into -180°..180°) or latitude.
std::string angleText(int64_t arcSeconds, int64_t step, bool latitude);

// A graticule line: a latitude's (at a y) or a longitude's (at an x), its label, and whether the
// label has room (latitudes are labelled along the left edge, longitudes along the top, clear of
// the corners where the inset's letter and the scale bar stand).
struct GraticuleLine_t {
    bool latitude;
    double at;
    std::string label;
    bool labelled;
};

// The lines across a frame whose map x 0 lies at `westLongitude` degrees.
std::vector<GraticuleLine_t> graticuleLines(const Frame_t& frame, double westLongitude);

// Where a line's label stands on the page.
PageBox_t labelBox(const Frame_t& frame, const GraticuleLine_t& line);

// Leaves unlabelled the lines whose labels would cover something in `busy` (a group's frame).
void clearLabels(std::vector<GraticuleLine_t>& lines, const Frame_t& frame,
                 const std::vector<PageBox_t>& busy);

// The lines go under everything on the map, their labels over it.
void drawGraticuleLines(std::ostream& out, const Frame_t& frame, const std::vector<GraticuleLine_t>& lines);
void drawGraticuleLabels(std::ostream& out, const Frame_t& frame, const std::vector<GraticuleLine_t>& lines);

} // namespace host

#endif
