#include "synth/SYN_Description.h"
#include "synth/SYN_TrackLog.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using testsupport::Bytes;
using testsupport::bytesOf;
using testsupport::concat;

namespace {

synth::TrackLog_t twoPoints() {
    synth::TrackLog_t log;
    log.name = "W";
    log.colorCode = 3;
    log.pointFlags = 0x01;
    log.pointsPerRecord = 1;
    log.points = {{0x01020304, -2, 0x0A0B0C0D, 0, 0}, {0x11121314, 0x21222324, 0, 0, 0}};
    return log;
}

std::vector<Bytes> bytesOfAll(const std::vector<std::string>& records) {
    std::vector<Bytes> out;
    for (const std::string& record : records)
        out.push_back(bytesOf(record));
    return out;
}

} // namespace

TEST(TrackLog, HeaderNameAndPointsLittleEndian) {
    const Bytes header = concat({{38, 0, 2, 0, 12, 0, 1, 0}, // header length, points, stride, per record
                                 {0, 3},                     // colour
                                 Bytes(16, 0),
                                 {0x01, 0, 0, 0},              // flags
                                 {38, 0, 0, 0, 40, 0, 0, 0}}); // name, first point
    const Bytes first =
        concat({header, {'W', 0}, {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0C, 0x0B, 0x0A}});
    const Bytes second = {0x14, 0x13, 0x12, 0x11, 0x24, 0x23, 0x22, 0x21, 0, 0, 0, 0};
    EXPECT_EQ(bytesOfAll(synth::encodeTrackLog(twoPoints())), (std::vector<Bytes>{first, second}));
}

TEST(TrackLog, AltitudeAndAuxiliaryAreFloats) {
    synth::TrackLog_t log;
    log.pointFlags = 0x06;
    log.points = {{2, 4, 99, 1.5f, -2.0f}};
    const std::vector<std::string> records = synth::encodeTrackLog(log);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(bytesOf(records[0].substr(39)),
              (Bytes{2, 0, 0, 0, 4, 0, 0, 0, 0x00, 0x00, 0xC0, 0x3F, 0x00, 0x00, 0x00, 0xC0}));
}

TEST(TrackLog, OverridesLayEntriesOverEachOther) {
    synth::TrackLog_t log = twoPoints();
    log.pointsPerRecord = 2;
    log.nameOffset = 36; // over the first point's offset field
    log.firstPointOffset = 50;
    log.pointStride = 10; // two bytes short: the second point overwrites the first one's time
    log.pointCount = 7;
    log.headerLength = 40;
    const Bytes expected = concat({{40, 0, 7, 0, 10, 0, 2, 0, 0, 3},
                                   Bytes(16, 0),
                                   {0x01, 0, 0, 0, 36, 0, 0, 0, 50, 0, 'W', 0},
                                   Bytes(12, 0),
                                   {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0C},
                                   {0x14, 0x13, 0x12, 0x11, 0x24, 0x23, 0x22, 0x21, 0, 0, 0, 0}});
    EXPECT_EQ(bytesOfAll(synth::encodeTrackLog(log)), (std::vector<Bytes>{expected}));

    log.pointStride = 16; // longer than a point: zeros fill the rest
    log.nameOffset = 44;  // past the header: zeros fill the gap
    log.firstPointOffset.reset();
    const std::vector<std::string> records = synth::encodeTrackLog(log);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].size(), 46u + 2 * 16);
    EXPECT_EQ(bytesOf(records[0].substr(38, 8)), (Bytes{0, 0, 0, 0, 0, 0, 'W', 0}));
    EXPECT_EQ(bytesOf(records[0].substr(46 + 12, 4)), Bytes(4, 0));
}

TEST(TrackLog, ALogOfMorePointsThanItsCountHoldsIsRefused) {
    synth::TrackLog_t log;
    log.name = "Long";
    log.pointFlags = 0;
    log.pointsPerRecord = 4000;
    log.points.resize(synth::kMaxPoints);
    std::vector<std::string> records = synth::encodeTrackLog(log);
    ASSERT_EQ(records.size(), 17u);
    EXPECT_EQ(bytesOf(records[0].substr(2, 2)), (Bytes{0xFF, 0xFF}));

    log.points.resize(synth::kMaxPoints + 1);
    try {
        synth::encodeTrackLog(log);
        FAIL();
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "the track log 'Long' has 65536 points, more than a log can count (65535)");
    }
    log.pointCount = 5; // a count of one's own does not make the points fit
    EXPECT_THROW(synth::encodeTrackLog(log), std::length_error);
}

TEST(Description, ALogOfTooManyPointsNamesItsLine) {
    std::string text = "# many\nlog Big flags=none\n";
    for (std::size_t i = 0; i <= synth::kMaxPoints; ++i)
        text += "raw-point 2 4\n";
    text += "empty\n";
    try {
        synth::recordsFromDescription(text);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "line 2: the track log 'Big' has 65536 points, more than a log can count (65535)");
    }
}

// An override can ask for any offset; a record holds at most 65,535 bytes, so no description can
// make the generator allocate more than that.
TEST(TrackLog, OverridesPastWhatARecordHoldsAreRefused) {
    synth::TrackLog_t log = twoPoints();
    log.pointsPerRecord = 2; // both points in one record
    log.nameOffset = 4000000000u;
    try {
        synth::encodeTrackLog(log);
        FAIL();
    } catch (const std::length_error& e) {
        EXPECT_STREQ(
            e.what(),
            "the track log 'W' needs a record of 4000000002 bytes, more than a record can hold (65535)");
    }
    log.nameOffset.reset();
    log.firstPointOffset = 65530; // the first point would end past the record's end
    EXPECT_THROW(synth::encodeTrackLog(log), std::length_error);
    log.firstPointOffset.reset();
    log.pointStride = 40000; // the second point starts past it
    EXPECT_THROW(synth::encodeTrackLog(log), std::length_error);
    log.pointStride = 16;
    EXPECT_EQ(synth::encodeTrackLog(log).size(), 1u);
}
