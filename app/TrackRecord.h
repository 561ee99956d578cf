#ifndef APP_TRACKRECORD_H
#define APP_TRACKRECORD_H

#include <cstddef>
#include <cstdint>

namespace app {

// The header at the start of a track log's first record, as far as the conduit knows it. Records
// are little-endian; header bytes beyond `headerLength` read as zero.
struct TrackRecordHeader_t {
    static constexpr std::size_t kSize = 38;

    uint16_t headerLength = 0;
    uint16_t pointCount = 0;
    uint16_t pointStride = 0;
    uint16_t pointsPerRecord = 0;
    uint8_t colorCode = 0;
    uint8_t pointFlags = 0;
    uint32_t nameOffset = 0;
    uint32_t firstPointOffset = 0;

    // Copies min(headerLength, 38) bytes of the record into a zero-filled header and decodes it.
    // `record` must hold at least 38 bytes.
    static TrackRecordHeader_t decode(const unsigned char* record);
};

// Bits of `pointFlags`: which optional fields every point entry of the log carries.
enum PointFlag : uint8_t { kPointHasTime = 0x01, kPointHasAltitude = 0x02, kPointHasAuxiliary = 0x04 };

// Point times with these values mean "no time".
constexpr bool isAbsentTime(uint32_t value) {
    return value == 0 || value == 0x7FFFFFFF || value == 0xFFFFFFFF;
}

// Bit 0 of a point's latitude marks the first point of a new segment.
constexpr bool startsSegment(int32_t latitude) {
    return (latitude & 1) != 0;
}

} // namespace app

#endif
