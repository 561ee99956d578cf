#include "app/TrackRecord.h"

#include "bin/BIN_endian.h"

#include <cstring>

namespace app {

TrackRecordHeader_t TrackRecordHeader_t::decode(const unsigned char* record) {
    unsigned char raw[kSize] = {};
    const std::size_t length = bin::loadU16(record);
    std::memcpy(raw, record, length < kSize ? length : kSize);

    TrackRecordHeader_t header;
    header.headerLength = bin::loadU16(raw);
    header.pointCount = bin::loadU16(raw + 2);
    header.pointStride = bin::loadU16(raw + 4);
    header.pointsPerRecord = bin::loadU16(raw + 6);
    header.colorCode = raw[9];
    header.pointFlags = raw[26];
    header.nameOffset = bin::loadU32(raw + 30);
    header.firstPointOffset = bin::loadU32(raw + 34);
    return header;
}

} // namespace app
