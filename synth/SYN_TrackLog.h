#ifndef SYNTH_SYN_TRACKLOG_H
#define SYNTH_SYN_TRACKLOG_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace synth {

// One point of a track log as the handheld stores it.
struct Point_t {
    int32_t latitude = 0;  // semicircles; bit 0 is the new-segment bit
    int32_t longitude = 0; // semicircles
    uint32_t time = 0;     // seconds since 1989-12-31 00:00:00 UTC; 0 is "no time"
    float altitude = 0.0f;
    float auxiliary = 0.0f;
};

// A track log and how to lay it out in records.
struct TrackLog_t {
    std::string name;
    uint8_t colorCode = 0;
    uint8_t pointFlags = 0x01; // 1 time, 2 altitude, 4 auxiliary
    uint16_t pointsPerRecord = 100;
    std::vector<Point_t> points;
    // Layout overrides for odd cases; by default the header is 38 bytes, the name follows it and
    // the points follow the name.
    std::optional<uint16_t> headerLength;
    std::optional<uint16_t> pointCount;
    std::optional<uint16_t> pointStride;
    std::optional<uint32_t> nameOffset;
    std::optional<uint32_t> firstPointOffset;
};

// The most points a log can hold: its header counts them in 16 bits.
constexpr std::size_t kMaxPoints = 0xFFFF;

// The records of a log: a first record with header, name and the first points, then as many
// continuation records as the points need.
// @exception std::length_error for a log of more than kMaxPoints points, which the handheld could
// not count (a pointCount override does not change that: the points are still written), or for a
// record that the layout overrides would make longer than a handheld record (65,535 bytes).
std::vector<std::string> encodeTrackLog(const TrackLog_t& log);

// Size in bytes of a point entry with the given flags.
uint16_t pointSize(uint8_t pointFlags);

// Degrees to semicircles.
int32_t semicircles(double degrees);

// Realistic walks: `logs` logs of `points` points with times and altitudes, deterministic for
// a seed. Points move a few metres at a time, with pauses and a slowly varying altitude; the
// walks start within `spread` degrees of each other.
std::vector<TrackLog_t> syntheticLogs(int logs, int points, uint16_t pointsPerRecord, uint32_t seed,
                                      double spread = 2.0);

} // namespace synth

#endif
