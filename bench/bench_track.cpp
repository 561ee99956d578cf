// Cost of appending points to one track, per point, for tracks of growing length. The figure
// should stay flat: an append touches only the last chunk.
#include "nav/NAV_Track.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<nav::TrackPoint_t> walk(int64_t count) {
    std::vector<nav::TrackPoint_t> points;
    points.reserve(static_cast<std::size_t>(count));
    int32_t latitude = 500000000;
    int32_t longitude = 100000000;
    for (int64_t i = 0; i < count; ++i) {
        latitude += static_cast<int32_t>((i * 7919) % 2001) - 1000;
        longitude += static_cast<int32_t>((i * 104729) % 2001) - 900;
        nav::TrackPoint_t point;
        point.position = geo::Position_t(latitude, longitude, 100.0 + static_cast<double>(i % 50));
        point.time = glo::Time_t(static_cast<int32_t>(700000000 + i));
        point.auxiliary = 1.5;
        points.push_back(point);
    }
    return points;
}

void appendPoints(benchmark::State& state) {
    const std::vector<nav::TrackPoint_t> points = walk(state.range(0));
    for (auto _ : state) {
        nav::Track_t track;
        for (const nav::TrackPoint_t& point : points)
            track.appendPoint(point);
        benchmark::DoNotOptimize(track.summary().distance);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["ns_per_point"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(appendPoints)->Arg(1000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(3);
