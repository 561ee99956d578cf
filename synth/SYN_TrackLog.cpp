#include "synth/SYN_TrackLog.h"

#include "bin/BIN_Bytes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>

namespace synth {

namespace {

constexpr uint16_t kHeaderSize = 38;
constexpr uint64_t kMaxRecordSize = 0xFFFF;

// The handheld's track records are little-endian.
bin::ByteWriter_t recordWriter() {
    return bin::ByteWriter_t(bin::ByteOrder_t::Little);
}

// An entry of `stride` bytes at the writer's position; with a stride shorter than the point, the
// next entry overwrites its end.
void putPoint(bin::ByteWriter_t& out, const Point_t& p, uint8_t flags, uint16_t stride) {
    const std::size_t start = out.position();
    out.i32(p.latitude).i32(p.longitude);
    if (flags & 0x01)
        out.u32(p.time);
    if (flags & 0x02)
        out.f32(p.altitude);
    if (flags & 0x04)
        out.f32(p.auxiliary);
    const std::size_t written = out.position() - start;
    if (written < stride)
        out.zeros(stride - written);
}

// A handheld record holds at most 65,535 bytes: layout overrides that reach past it are refused
// before the record grows there.
void requireWithinRecord(const TrackLog_t& log, uint64_t end) {
    if (end > kMaxRecordSize)
        throw std::length_error("the track log '" + log.name + "' needs a record of " + std::to_string(end) +
                                " bytes, more than a record can hold (" + std::to_string(kMaxRecordSize) +
                                ")");
}

} // namespace

uint16_t pointSize(uint8_t pointFlags) {
    return static_cast<uint16_t>(8 + ((pointFlags & 1) ? 4 : 0) + ((pointFlags & 2) ? 4 : 0) +
                                 ((pointFlags & 4) ? 4 : 0));
}

int32_t semicircles(double degrees) {
    return static_cast<int32_t>(std::llround(degrees * 2147483648.0 / 180.0));
}

std::vector<std::string> encodeTrackLog(const TrackLog_t& log) {
    if (log.points.size() > kMaxPoints)
        throw std::length_error("the track log '" + log.name + "' has " + std::to_string(log.points.size()) +
                                " points, more than a log can count (" + std::to_string(kMaxPoints) + ")");
    const uint16_t stride = log.pointStride.value_or(pointSize(log.pointFlags));
    const uint32_t nameOffset = log.nameOffset.value_or(kHeaderSize);
    const uint32_t firstPoint =
        log.firstPointOffset.value_or(static_cast<uint32_t>(nameOffset + log.name.size() + 1));

    bin::ByteWriter_t record = recordWriter();
    record.u16(log.headerLength.value_or(kHeaderSize))
        .u16(log.pointCount.value_or(static_cast<uint16_t>(log.points.size())))
        .u16(stride)
        .u16(log.pointsPerRecord)
        .u8(0)
        .u8(log.colorCode)
        .zeros(16)
        .u8(log.pointFlags)
        .zeros(3)
        .u32(nameOffset)
        .u32(firstPoint);
    // Overrides may put the name over the header, or the first points over the name.
    requireWithinRecord(log, uint64_t{nameOffset} + log.name.size() + 1);
    record.seek(nameOffset).text(log.name);

    std::vector<std::string> records;
    std::size_t inRecord = 0;
    std::size_t offset = firstPoint;
    const std::size_t perRecord = log.pointsPerRecord;
    for (const Point_t& point : log.points) {
        if (inRecord == perRecord) {
            records.push_back(record.take());
            inRecord = 0;
            offset = 0;
        }
        requireWithinRecord(log, uint64_t{offset} + std::max(stride, pointSize(log.pointFlags)));
        putPoint(record.seek(offset), point, log.pointFlags, stride);
        offset += stride;
        ++inRecord;
    }
    records.push_back(record.take());
    return records;
}

std::vector<TrackLog_t> syntheticLogs(int logs, int points, uint16_t pointsPerRecord, uint32_t seed,
                                      double spread) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<TrackLog_t> result;
    for (int l = 0; l < logs; ++l) {
        TrackLog_t log;
        log.name = "Walk " + std::to_string(l + 1);
        log.colorCode = static_cast<uint8_t>(l % 16);
        log.pointFlags = 0x03;
        log.pointsPerRecord = pointsPerRecord;
        double latitude = 46.0 + spread * unit(random);
        double longitude = 7.0 + 1.5 * spread * unit(random);
        double heading = 360.0 * unit(random);
        double altitude = 400.0 + 1500.0 * unit(random);
        uint32_t time = 1000000000u + static_cast<uint32_t>(l) * 86400u;
        log.points.reserve(static_cast<std::size_t>(points));
        for (int p = 0; p < points; ++p) {
            const bool pause = unit(random) < 0.02;
            const double step = pause ? 0.0 : 2.0 + 6.0 * unit(random); // metres
            heading += 20.0 * (unit(random) - 0.5);
            latitude += step * std::cos(heading * std::numbers::pi / 180.0) / 111320.0;
            longitude += step * std::sin(heading * std::numbers::pi / 180.0) /
                         (111320.0 * std::cos(latitude * std::numbers::pi / 180.0));
            altitude += 2.0 * (unit(random) - 0.5);
            time += pause ? 30u : 3u;
            Point_t point;
            point.latitude = semicircles(latitude) & ~1; // no new segments
            point.longitude = semicircles(longitude);
            point.time = time;
            point.altitude = static_cast<float>(altitude);
            log.points.push_back(point);
        }
        result.push_back(std::move(log));
    }
    return result;
}

} // namespace synth
