#ifndef TOOLS_PDBGEN_TRACKLOG_H
#define TOOLS_PDBGEN_TRACKLOG_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pdbgen {

// One point of a track log as the handheld stores it.
struct Point {
    int32_t latitude = 0;  // semicircles; bit 0 is the new-segment bit
    int32_t longitude = 0; // semicircles
    uint32_t time = 0;     // seconds since 1989-12-31 00:00:00 UTC; 0 is "no time"
    float altitude = 0.0f;
    float auxiliary = 0.0f;
};

// A track log and how to lay it out in records.
struct TrackLog {
    std::string name;
    uint8_t colorCode = 0;
    uint8_t pointFlags = 0x01; // 1 time, 2 altitude, 4 auxiliary
    uint16_t pointsPerRecord = 100;
    std::vector<Point> points;
    // Layout overrides for odd cases; by default the header is 38 bytes, the name follows it and
    // the points follow the name.
    std::optional<uint16_t> headerLength;
    std::optional<uint16_t> pointCount;
    std::optional<uint16_t> pointStride;
    std::optional<uint32_t> nameOffset;
    std::optional<uint32_t> firstPointOffset;
};

// The records of a log: a first record with header, name and the first points, then as many
// continuation records as the points need.
std::vector<std::string> encodeTrackLog(const TrackLog& log);

// Size in bytes of a point entry with the given flags.
uint16_t pointSize(uint8_t pointFlags);

// Degrees to semicircles.
int32_t semicircles(double degrees);

// Realistic walks: `logs` logs of `points` points with times and altitudes, deterministic for
// a seed. Points move a few metres at a time, with pauses and a slowly varying altitude; the
// walks start within `spread` degrees of each other.
std::vector<TrackLog> syntheticLogs(int logs, int points, uint16_t pointsPerRecord, uint32_t seed,
                                    double spread = 2.0);

} // namespace pdbgen

#endif
