// The machine's floors for a whole HotSync, against which bench/hotsync_bench.sh sets the HotSync:
//
//   bench_floor arithmetic LOGS POINTS   the per-point arithmetic of the synthetic handheld that
//                                        `pathlet-pdbgen synth --logs LOGS --points POINTS
//                                        --per-record 4000 --seed 7` makes: leg distance (with its
//                                        flattening term), area term and bounding box, the formulas
//                                        the product uses, in a tight loop without allocation
//   bench_floor io HANDHELD BYTES OUT     reads HANDHELD and writes and flushes a file OUT of BYTES
//   bench_floor memory BYTES BLOCKS       allocates BYTES of fresh memory in BLOCKS equal blocks and
//                                        writes every byte once: the pages that a model of the
//                                        file's size needs, which neither floor above counts, from
//                                        a heap readied for huge pages as `pathlet hotsync` has it
//
// Each prints "<wall seconds> <CPU seconds>" of its measured part: the arithmetic only its loop
// (the points are made before it), the I/O the whole reading and writing, the memory its
// allocating and first writing.
#include "geo/GEO_Box.h"
#include "host/platform/HugePageHeap.h"
#include "nav/NAV_TrackPoint.h"
#include "synth/SYN_TrackLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Started when made; `print` writes "<wall seconds> <CPU seconds>" since then, the floors' output.
class Stopwatch_t {
public:
    void print() const { std::printf("%.6f %.6f\n", wallSeconds() - m_wall, cpuSeconds() - m_cpu); }

private:
    double m_wall = wallSeconds();
    double m_cpu = cpuSeconds();
};

struct Raw_t {
    int32_t latitude;
    int32_t longitude;
};

int arithmetic(int logs, int points) {
    std::vector<std::vector<Raw_t>> tracks;
    for (const synth::TrackLog_t& log : synth::syntheticLogs(logs, points, 4000, 7)) {
        std::vector<Raw_t> track;
        track.reserve(log.points.size());
        for (const synth::Point_t& point : log.points)
            track.push_back({point.latitude, point.longitude});
        tracks.push_back(std::move(track));
    }
    const Stopwatch_t stopwatch;
    double distance = 0.0;
    double area = 0.0;
    geo::Box_t box;
    for (const std::vector<Raw_t>& track : tracks) {
        geo::Position_t previous(track.front().latitude, track.front().longitude);
        nav::UnitVector_t previousVector = nav::UnitVector_t::of(previous);
        for (const Raw_t& raw : track) {
            const geo::Position_t position(raw.latitude, raw.longitude);
            const nav::UnitVector_t vector = nav::UnitVector_t::of(position);
            distance += nav::legDistance(previousVector, vector);
            area += static_cast<double>(previous.longitude()) * raw.latitude -
                    static_cast<double>(raw.longitude) * previous.latitude();
            box.uniteLeg(previous, position);
            previous = position;
            previousVector = vector;
        }
    }
    stopwatch.print();
    // The results are used, so that the loop is not optimised away.
    std::fprintf(stderr, "%.3f m, area %.3g, box north %d\n", distance, area, box.empty() ? 0 : box.north());
    return 0;
}

int io(const std::string& handheld, uint64_t bytes, const std::string& output) {
    std::vector<char> buffer(1 << 20);
    const Stopwatch_t stopwatch;
    const int in = open(handheld.c_str(), O_RDONLY);
    if (in < 0)
        return 1;
    while (read(in, buffer.data(), buffer.size()) > 0) {
    }
    close(in);
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0)
        return 1;
    for (uint64_t left = bytes; left > 0;) {
        const std::size_t size = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
        if (write(out, buffer.data(), size) != static_cast<ssize_t>(size))
            return 1;
        left -= size;
    }
    if (fsync(out) != 0 || close(out) != 0)
        return 1;
    stopwatch.print();
    return 0;
}

int memory(uint64_t bytes, uint64_t blocks) {
    if (blocks == 0)
        return 2;
    const std::size_t size = static_cast<std::size_t>(bytes / blocks);
    std::vector<std::unique_ptr<unsigned char[]>> held;
    held.reserve(static_cast<std::size_t>(blocks));
    const Stopwatch_t stopwatch;
    host::reserveHugePageHeap(bytes);
    for (uint64_t i = 0; i < blocks; ++i) {
        held.emplace_back(new unsigned char[size]);
        std::memset(held.back().get(), static_cast<int>(i), size);
    }
    stopwatch.print();
    // The bytes are read, so that the writing is not optimised away.
    uint64_t sum = 0;
    for (const auto& block : held)
        for (std::size_t at = 0; at < size; at += 4096)
            sum += block[at];
    std::fprintf(stderr, "%zu bytes x %llu blocks, sum %llu\n", size, static_cast<unsigned long long>(blocks),
                 static_cast<unsigned long long>(sum));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "arithmetic" && argc == 4)
        return arithmetic(std::atoi(argv[2]), std::atoi(argv[3]));
    if (mode == "io" && argc == 5)
        return io(argv[2], std::strtoull(argv[3], nullptr, 10), argv[4]);
    if (mode == "memory" && argc == 4)
        return memory(std::strtoull(argv[2], nullptr, 10), std::strtoull(argv[3], nullptr, 10));
    std::fprintf(stderr,
                 "usage: bench_floor arithmetic LOGS POINTS | io HANDHELD BYTES OUT | memory BYTES BLOCKS\n");
    return 2;
}
