// The track-log decoder on its own: records from a plain list, where each log ends and why.
#include "app/TrackLogDecoder.h"

#include "synth/SYN_TrackLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Records : public app::RecordSource_t {
public:
    std::vector<std::string> records;
    std::vector<uint16_t> reads;

    uint32_t recordCount() const override { return static_cast<uint32_t>(records.size()); }
    app::HandheldRecord_t readRecord(uint16_t index) override {
        reads.push_back(index);
        const std::string& record = records.at(index);
        bytes += record.size();
        return {reinterpret_cast<const unsigned char*>(record.data()), static_cast<uint32_t>(record.size()),
                false};
    }
    uint64_t bytesRead() const override { return bytes; }
    uint64_t bytes = 0;
    app::DecodedLog_t decodeAt(uint32_t index) {
        return app::decodeTrackLog(*this, readRecord(static_cast<uint16_t>(index)), index);
    }
    void add(const synth::TrackLog_t& log) {
        for (std::string& record : synth::encodeTrackLog(log))
            records.push_back(std::move(record));
    }
};

synth::TrackLog_t walk(const char* name, int points, uint16_t perRecord) {
    synth::TrackLog_t log;
    log.name = name;
    log.pointsPerRecord = perRecord;
    for (int i = 0; i < points; ++i)
        log.points.push_back({(i + 1) * 1000, i * 10, static_cast<uint32_t>(100 + i)});
    return log;
}

} // namespace

TEST(TrackLogDecoder, ALogSpanningRecordsSaysWhereTheNextLogStarts) {
    Records source;
    source.add(walk("Long", 7, 3)); // records 0, 1, 2
    source.add(walk("Next", 1, 3)); // record 3
    const app::DecodedLog_t first = source.decodeAt(0);
    EXPECT_EQ(first.end, app::LogEnd_t::Complete);
    EXPECT_EQ(first.nextRecord, 3u);
    ASSERT_EQ(first.tracks.size(), 1u);
    EXPECT_EQ(first.tracks[0].first.str(), "Long");
    EXPECT_EQ(first.tracks[0].second.summary().pointCount, 7);
    EXPECT_EQ(source.reads, (std::vector<uint16_t>{0, 1, 2}));
    const app::DecodedLog_t second = source.decodeAt(first.nextRecord);
    EXPECT_EQ(second.nextRecord, 4u);
    EXPECT_EQ(second.tracks.at(0).first.str(), "Next");
}

TEST(TrackLogDecoder, SegmentsBecomeTracksOfOneName) {
    Records source;
    synth::TrackLog_t log = walk("Seg", 5, 100);
    log.points[2].latitude |= 1;
    log.points[4].latitude |= 1;
    source.add(log);
    const app::DecodedLog_t decoded = source.decodeAt(0);
    ASSERT_EQ(decoded.tracks.size(), 3u);
    EXPECT_EQ(decoded.tracks[0].second.summary().pointCount, 2);
    EXPECT_EQ(decoded.tracks[1].second.summary().pointCount, 2);
    EXPECT_EQ(decoded.tracks[2].second.summary().pointCount, 1);
    for (const auto& [id, track] : decoded.tracks)
        EXPECT_EQ(id.str(), "Seg");
}

TEST(TrackLogDecoder, WhyALogEnded) {
    Records source;
    source.add(walk("Cut", 4, 2)); // needs records 0 and 1; only record 0 is there
    source.records.resize(1);
    app::DecodedLog_t cut = source.decodeAt(0);
    EXPECT_EQ(cut.end, app::LogEnd_t::CutShort);
    EXPECT_EQ(cut.nextRecord, 2u);
    EXPECT_EQ(cut.tracks.at(0).second.summary().pointCount, 2);

    source.records = {std::string(37, '\x26')};
    EXPECT_EQ(source.decodeAt(0).end, app::LogEnd_t::NoHeader);

    synth::TrackLog_t unnamed = walk("", 1, 10);
    source.records.clear();
    source.add(unnamed);
    const app::DecodedLog_t noName = source.decodeAt(0);
    EXPECT_EQ(noName.end, app::LogEnd_t::NoName);
    EXPECT_TRUE(noName.tracks.empty());
}

// A stride of 0 makes every point of a log the same entry: the header can claim 65,535 points
// from a record of a few dozen bytes. The decoder stops where the bytes read could hold no more.
TEST(TrackLogDecoderBound, StopsWhenThePointsExceedTheRecordBytesOverEight) {
    Records source;
    synth::TrackLog_t log = walk("Stuck", 1, 100);
    log.pointStride = 0;
    log.pointCount = 65535;
    source.add(log);
    const app::DecodedLog_t decoded = source.decodeAt(0);
    EXPECT_EQ(decoded.end, app::LogEnd_t::PastBound);
    EXPECT_EQ(decoded.points, source.bytes / app::kLeastPointBytes);
    ASSERT_EQ(decoded.tracks.size(), 1u);
    EXPECT_EQ(static_cast<uint64_t>(decoded.tracks[0].second.summary().pointCount), decoded.points);

    // Points of earlier logs count against the same bytes.
    EXPECT_EQ(app::decodeTrackLog(source, source.readRecord(0), 0, 1000000).points, 0u);
}

TEST(TrackLogDecoderBound, ADenseWellFormedLogIsNotCut) {
    // Position-only points (8 bytes each) filling records whole: the densest real layout.
    Records source;
    synth::TrackLog_t log = walk("Dense", 5000, 8000);
    log.pointFlags = 0;
    source.add(log);
    const app::DecodedLog_t decoded = source.decodeAt(0);
    EXPECT_EQ(decoded.end, app::LogEnd_t::Complete);
    EXPECT_EQ(decoded.points, 5000u);
}
