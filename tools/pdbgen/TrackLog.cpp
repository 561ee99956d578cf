#include "TrackLog.h"

#include <cmath>
#include <numbers>
#include <cstring>
#include <random>

namespace pdbgen {

namespace {

void putU16(std::string& out, std::size_t at, uint16_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8);
}

void putU32(std::string& out, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void appendU32(std::string& out, uint32_t v) {
    const std::size_t at = out.size();
    out.resize(at + 4);
    putU32(out, at, v);
}

void appendFloat(std::string& out, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    appendU32(out, bits);
}

std::string encodePoint(const Point& p, uint8_t flags, uint16_t stride) {
    std::string out;
    appendU32(out, static_cast<uint32_t>(p.latitude));
    appendU32(out, static_cast<uint32_t>(p.longitude));
    if (flags & 0x01)
        appendU32(out, p.time);
    if (flags & 0x02)
        appendFloat(out, p.altitude);
    if (flags & 0x04)
        appendFloat(out, p.auxiliary);
    if (out.size() < stride)
        out.resize(stride, '\0');
    return out;
}

} // namespace

uint16_t pointSize(uint8_t pointFlags) {
    return static_cast<uint16_t>(8 + ((pointFlags & 1) ? 4 : 0) + ((pointFlags & 2) ? 4 : 0) +
                                 ((pointFlags & 4) ? 4 : 0));
}

int32_t semicircles(double degrees) {
    return static_cast<int32_t>(std::llround(degrees * 2147483648.0 / 180.0));
}

std::vector<std::string> encodeTrackLog(const TrackLog& log) {
    const uint16_t stride = log.pointStride.value_or(pointSize(log.pointFlags));
    const uint32_t nameOffset = log.nameOffset.value_or(38);
    const uint32_t firstPoint =
        log.firstPointOffset.value_or(static_cast<uint32_t>(nameOffset + log.name.size() + 1));

    std::string first(38, '\0');
    putU16(first, 0, log.headerLength.value_or(38));
    putU16(first, 2, log.pointCount.value_or(static_cast<uint16_t>(log.points.size())));
    putU16(first, 4, stride);
    putU16(first, 6, log.pointsPerRecord);
    first[9] = static_cast<char>(log.colorCode);
    first[26] = static_cast<char>(log.pointFlags);
    putU32(first, 30, nameOffset);
    putU32(first, 34, firstPoint);
    if (first.size() < nameOffset + log.name.size() + 1)
        first.resize(nameOffset + log.name.size() + 1, '\0');
    std::memcpy(first.data() + nameOffset, log.name.c_str(), log.name.size() + 1);

    std::vector<std::string> records{first};
    std::size_t inRecord = 0;
    std::size_t offset = firstPoint;
    const std::size_t perRecord = log.pointsPerRecord;
    for (std::size_t k = 0; k < log.points.size(); ++k) {
        if (inRecord == perRecord) {
            records.emplace_back();
            inRecord = 0;
            offset = 0;
        }
        std::string& record = records.back();
        const std::string entry = encodePoint(log.points[k], log.pointFlags, stride);
        if (record.size() < offset + entry.size())
            record.resize(offset + entry.size(), '\0');
        std::memcpy(record.data() + offset, entry.data(), entry.size());
        offset += stride;
        ++inRecord;
    }
    return records;
}

std::vector<TrackLog> syntheticLogs(int logs, int points, uint16_t pointsPerRecord, uint32_t seed,
                                    double spread) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<TrackLog> result;
    for (int l = 0; l < logs; ++l) {
        TrackLog log;
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
            longitude +=
                step * std::sin(heading * std::numbers::pi / 180.0) / (111320.0 * std::cos(latitude * std::numbers::pi / 180.0));
            altitude += 2.0 * (unit(random) - 0.5);
            time += pause ? 30u : 3u;
            Point point;
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

} // namespace pdbgen
