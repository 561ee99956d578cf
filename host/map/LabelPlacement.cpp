#include "host/map/LabelPlacement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace host {

namespace {

constexpr double kGap = 2;

bool inside(const PageBox_t& box, const PageBox_t& bounds) {
    return box.x >= bounds.x && box.y >= bounds.y && box.right() <= bounds.right() &&
           box.bottom() <= bounds.bottom();
}

bool hitsAny(const PageBox_t& box, const std::vector<PageBox_t>& others, std::size_t skip = SIZE_MAX) {
    for (std::size_t i = 0; i < others.size(); ++i)
        if (i != skip && intersects(box, others[i]))
            return true;
    return false;
}

// The places around a target, nearest first: its corners outside it, then its sides.
std::vector<PageBox_t> around(const PageBox_t& t, double w, double h) {
    const double left = t.x - w - kGap, right = t.right() + kGap, above = t.y - h - kGap,
                 below = t.bottom() + kGap, middleX = t.x + (t.width - w) / 2,
                 middleY = t.y + (t.height - h) / 2;
    return {{t.x, above, w, h},    {t.right() - w, above, w, h}, {left, t.y, w, h},
            {right, t.y, w, h},    {t.x, below, w, h},           {t.right() - w, below, w, h},
            {left, above, w, h},   {right, above, w, h},         {left, below, w, h},
            {right, below, w, h},  {middleX, above, w, h},       {middleX, below, w, h},
            {left, middleY, w, h}, {right, middleY, w, h}};
}

} // namespace

bool intersects(const PageBox_t& a, const PageBox_t& b) {
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

std::vector<PageBox_t> placeLabels(const std::vector<PageBox_t>& targets, double width, double height,
                                   const PageBox_t& bounds, const std::vector<PageBox_t>& obstacles) {
    std::vector<PageBox_t> placed;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const PageBox_t& target = targets[i];
        // Strict first: free of labels, targets and obstacles; then free of labels alone.
        auto free = [&](const PageBox_t& box, bool strict) {
            return inside(box, bounds) && !hitsAny(box, placed) &&
                   (!strict || (!hitsAny(box, targets) && !hitsAny(box, obstacles)));
        };
        std::vector<PageBox_t> candidates = around(target, width, height);
        // Then rings further out, by distance from the target's centre; the ring's step keeps the
        // search finite and the page is always large enough for a label per target.
        const double cx = target.x + target.width / 2, cy = target.y + target.height / 2;
        const double step = std::max(width, height) / 2;
        const double reach = std::hypot(bounds.width, bounds.height);
        for (double radius = step; radius <= reach; radius += step) {
            const int count = std::max(8, static_cast<int>(2 * 3.14159 * radius / step));
            for (int k = 0; k < count; ++k) {
                const double angle = 2 * 3.141592653589793 * k / count;
                candidates.push_back({cx + radius * std::cos(angle) - width / 2,
                                      cy - radius * std::sin(angle) - height / 2, width, height});
            }
        }
        // A grid over the whole page, as the last resort.
        for (double y = bounds.y; y + height <= bounds.bottom(); y += height)
            for (double x = bounds.x; x + width <= bounds.right(); x += width)
                candidates.push_back({x, y, width, height});
        std::optional<PageBox_t> chosen;
        for (const bool strict : {true, false}) {
            for (const PageBox_t& candidate : candidates)
                if (free(candidate, strict)) {
                    chosen = candidate;
                    break;
                }
            if (chosen)
                break;
        }
        // Only a page too small for its labels leaves none free; the label then stands on its target.
        placed.push_back(chosen ? *chosen : PageBox_t{target.x, target.y, width, height});
    }
    return placed;
}

} // namespace host
