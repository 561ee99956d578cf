#include "host/map/Grouping.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace host {

std::vector<std::vector<std::size_t>> groupTracks(const std::vector<PlotTrack_t>& tracks) {
    std::vector<std::size_t> parent(tracks.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](std::size_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    for (std::size_t i = 0; i < tracks.size(); ++i)
        for (std::size_t j = i + 1; j < tracks.size(); ++j) {
            const double reach =
                std::max(5.0, 0.5 * std::max(sizeKm(tracks[i].extent), sizeKm(tracks[j].extent)));
            if (root(i) != root(j) && gapKm(tracks[i].extent, tracks[j].extent) <= reach)
                parent[root(i)] = root(j);
        }
    std::vector<std::vector<std::size_t>> result;
    std::vector<std::size_t> slot(tracks.size(), SIZE_MAX);
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        std::size_t& s = slot[root(i)];
        if (s == SIZE_MAX) {
            s = result.size();
            result.emplace_back();
        }
        result[s].push_back(i);
    }
    auto points = [&](const std::vector<std::size_t>& group) {
        std::size_t n = 0;
        for (const std::size_t i : group)
            n += tracks[i].points.size();
        return n;
    };
    std::stable_sort(result.begin(), result.end(),
                     [&](const auto& a, const auto& b) { return points(a) > points(b); });
    return result;
}

} // namespace host
