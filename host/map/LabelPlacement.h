#ifndef HOST_MAP_LABELPLACEMENT_H
#define HOST_MAP_LABELPLACEMENT_H

#include <vector>

namespace host {

// A box on the page, in pixels.
struct PageBox_t {
    double x = 0, y = 0, width = 0, height = 0;
    double right() const { return x + width; }
    double bottom() const { return y + height; }
};

bool intersects(const PageBox_t& a, const PageBox_t& b);

// Places a label of `width` by `height` beside each target: close to it, inside `bounds`, and
// never over another label. Over another target or an obstacle only when nothing else is free.
// Labels are placed in the targets' order; each result belongs to the target at its index.
std::vector<PageBox_t> placeLabels(const std::vector<PageBox_t>& targets, double width, double height,
                                   const PageBox_t& bounds, const std::vector<PageBox_t>& obstacles);

} // namespace host

#endif
