#include "app/AppErrors.h"
#include "app/PalmDatabase.h"
#include "plm/PLM_SyncErrors.h"

#include "ConduitFixture.h"
#include "TestSupport.h"

using testsupport::ConduitFixture;

namespace {

class PalmDatabase : public ConduitFixture {
protected:
    app::DecodedTracks_t decode() {
        app::PalmDatabase_t handheldDb;
        return handheldDb.readTracks();
    }

    std::vector<std::string> names(const app::DecodedTracks_t& tracks) {
        std::vector<std::string> out;
        for (const auto& [id, track] : tracks)
            out.push_back(id.str() + ":" + std::to_string(track.summary().pointCount));
        return out;
    }

    std::vector<std::string> imported() {
        nav::Database_t database(nav::Name_t(""), 3);
        app::importTracks(database);
        std::vector<std::string> out;
        for (const auto& [id, track] : database.tracks())
            out.push_back(id.str() + ":" + std::to_string(track.summary().pointCount));
        return out;
    }
};

void patchU32(std::string& record, std::size_t at, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        record[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::vector<int32_t> latitudes(const nav::Track_t& track) {
    std::vector<int32_t> out;
    track.forEachPoint([&](const nav::TrackPoint_t& p) { out.push_back(p.position.latitude()); });
    return out;
}

} // namespace

TEST_F(PalmDatabase, TheWorkedExampleDecodes) {
    setTrackDb({testsupport::workedExampleRecord()});
    const app::DecodedTracks_t tracks = decode();
    ASSERT_EQ(tracks.size(), 1u);
    const auto& [id, track] = tracks[0];
    EXPECT_EQ(id.str(), "T1");
    EXPECT_EQ(track.color(), nav::Color4);
    std::vector<nav::TrackPoint_t> points;
    track.forEachPoint([&](const nav::TrackPoint_t& p) { points.push_back(p); });
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].position.latitude(), 536870913);
    EXPECT_EQ(points[0].position.longitude(), 134217728);
    EXPECT_EQ(points[0].time.get().seconds(), 631065601);
    EXPECT_FALSE(points[0].position.altitude().present());
    EXPECT_EQ(points[1].position.latitude(), 536870912);
    EXPECT_FALSE(points[1].time.present());
    EXPECT_EQ(handheld.openDatabases(), 0);
}

TEST_F(PalmDatabase, ALogSpansItsRecordsAndTheNextLogFollows) {
    setTrackDb(recordsOf({simpleLog("Five", 5, 2), simpleLog("Next", 1)}));
    ASSERT_EQ(handheld.openDatabases(), 0);
    const app::DecodedTracks_t tracks = decode();
    EXPECT_EQ(names(tracks), (std::vector<std::string>{"Five:5", "Next:1"}));
    EXPECT_EQ(latitudes(tracks[0].second), (std::vector<int32_t>{1000, 1002, 1004, 1006, 1008}));
}

TEST_F(PalmDatabase, ZeroPointsPerRecordReadsTheNextRecordFromItsStart) {
    const std::vector<std::string> records = synth::encodeTrackLog(simpleLog("Zero", 3, 0));
    ASSERT_EQ(records.size(), 2u);
    setTrackDb(records);
    const app::DecodedTracks_t tracks = decode();
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(latitudes(tracks[0].second), (std::vector<int32_t>{1000, 1002, 1004}));
}

TEST_F(PalmDatabase, HeaderLengthDecidesWhichHeaderBytesCount) {
    // headerLength 34: the name offset is read, the first point offset reads as 0, so point 0
    // lies over the header itself (its latitude is the header's first word, 34 + 65536 * count).
    synth::TrackLog_t log = simpleLog("Short", 1);
    log.headerLength = 34;
    log.pointFlags = 0;
    setTrackDb(synth::encodeTrackLog(log));
    app::DecodedTracks_t tracks = decode();
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(latitudes(tracks[0].second), (std::vector<int32_t>{34 + 65536 * 1}));

    // 0x2600 copies exactly 38 bytes.
    synth::TrackLog_t swapped = simpleLog("Swapped", 2);
    swapped.headerLength = 0x2600;
    setTrackDb(synth::encodeTrackLog(swapped));
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"Swapped:2"}));
}

TEST_F(PalmDatabase, SegmentsSplitALogIntoTracksOfOneName) {
    synth::TrackLog_t log = simpleLog("Seg", 10, 4, 5);
    for (int at : {0, 3, 7})
        log.points[static_cast<std::size_t>(at)].latitude |= 1;
    setTrackDb(synth::encodeTrackLog(log));
    const app::DecodedTracks_t tracks = decode();
    EXPECT_EQ(names(tracks), (std::vector<std::string>{"Seg:3", "Seg:4", "Seg:3"}));
    for (const auto& [id, track] : tracks)
        EXPECT_EQ(track.color(), nav::Color6);
    EXPECT_EQ(latitudes(tracks[1].second), (std::vector<int32_t>{1007, 1008, 1010, 1012}));

    setTrackDb(synth::encodeTrackLog(log));
    EXPECT_EQ(imported(), (std::vector<std::string>{"Seg:3", "Seg 001:4", "Seg 002:3"}));
}

TEST_F(PalmDatabase, TwoActiveLogsTakeTheDefaultColour) {
    setTrackDb(recordsOf({simpleLog("ACTIVE LOG", 2, 100, 7), simpleLog("ACTIVE LOG  ", 3, 100, 200)}));
    const app::DecodedTracks_t tracks = decode();
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].second.color(), nav::DefaultColor);
    EXPECT_EQ(tracks[1].second.color(), nav::DefaultColor);
    setTrackDb(recordsOf({simpleLog("ACTIVE LOG", 2, 100, 7), simpleLog("ACTIVE LOG  ", 3, 100, 200)}));
    EXPECT_EQ(imported(), (std::vector<std::string>{"ACTIVE LOG:2", "ACTIVE LOG 001:3"}));
    // Only the exact name counts.
    setTrackDb(synth::encodeTrackLog(simpleLog("active log", 1, 100, 200)));
    EXPECT_RAISES(decode(), glo::OutOfRange_t, "IOG_Color108.cpp", 62);
}

TEST_F(PalmDatabase, DecodingStopsAtAnEmptyOrShortRecordKeepingWhatWasDone) {
    std::vector<std::string> records = recordsOf({simpleLog("A", 2), simpleLog("B", 2)});
    records.push_back(std::string(2, '\0'));
    const std::vector<std::string> more = recordsOf({simpleLog("C", 2)});
    records.insert(records.end(), more.begin(), more.end());
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"A:2", "B:2"}));

    records = recordsOf({simpleLog("A", 2), simpleLog("B", 2)});
    records.push_back(more[0].substr(0, 37));
    records.push_back(more[0]);
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"A:2", "B:2"}));

    records = recordsOf({simpleLog("A", 2)});
    records.push_back(std::string(1, 'x'));
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"A:2"}));
}

TEST_F(PalmDatabase, AnEmptyNameStopsSilently) {
    for (const uint32_t nameOffset : {5000u, 0xFFFFFFFFu, 37u /* a zero byte of the header */}) {
        std::vector<std::string> records =
            recordsOf({simpleLog("A", 1), simpleLog("X", 2), simpleLog("B", 1)});
        patchU32(records[1], 30, nameOffset);
        setTrackDb(records);
        EXPECT_EQ(names(decode()), (std::vector<std::string>{"A:1"})) << nameOffset;
    }
}

TEST_F(PalmDatabase, APointCutInTheMiddleEndsItsLogOnly) {
    synth::TrackLog_t cut = simpleLog("Cut", 6);
    std::vector<std::string> records = synth::encodeTrackLog(cut);
    const std::size_t firstPoint = 38 + 4;
    records[0].resize(firstPoint + 4 * 12 + 4); // point 4's latitude fits, its longitude does not
    const std::vector<std::string> next = synth::encodeTrackLog(simpleLog("Next", 1));
    records.insert(records.end(), next.begin(), next.end());
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"Cut:4", "Next:1"}));
}

TEST_F(PalmDatabase, AMissingContinuationRecordEndsTheLog) {
    std::vector<std::string> records = synth::encodeTrackLog(simpleLog("Long", 5, 2));
    records.pop_back();
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"Long:4"}));
}

TEST_F(PalmDatabase, AContinuationRecordStartingWithALowZeroLatitudeIsData) {
    synth::TrackLog_t log = simpleLog("Zeroes", 4, 2);
    log.points[2].latitude = 0x10000; // low 16 bits zero
    setTrackDb(synth::encodeTrackLog(log));
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"Zeroes:4"}));
}

TEST_F(PalmDatabase, ZeroPointsYieldNoTrackAndDecodingGoesOn) {
    setTrackDb(recordsOf({simpleLog("None", 0), simpleLog("Some", 1)}));
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"Some:1"}));
}

TEST_F(PalmDatabase, PointTimesAndLatitudesAtTheirLimits) {
    synth::TrackLog_t log = simpleLog("Limits", 5);
    const uint32_t times[] = {0x7FFFFFFF, 0, 0xFFFFFFFF, 1516418047, 0xFFFFFFFE};
    for (std::size_t i = 0; i < 5; ++i)
        log.points[i].time = times[i];
    log.points[0].latitude = 1073741824;
    log.points[1].latitude = -1073741824;
    setTrackDb(synth::encodeTrackLog(log));
    const app::DecodedTracks_t tracks = decode();
    ASSERT_EQ(tracks.size(), 1u);
    std::vector<nav::TrackPoint_t> points;
    tracks[0].second.forEachPoint([&](const nav::TrackPoint_t& p) { points.push_back(p); });
    EXPECT_FALSE(points[0].time.present());
    EXPECT_FALSE(points[1].time.present());
    EXPECT_FALSE(points[2].time.present());
    EXPECT_EQ(points[3].time.get().seconds(), 2147483647);
    EXPECT_EQ(points[4].time.get().seconds(), 631065598);

    synth::TrackLog_t late = simpleLog("Late", 1);
    late.points[0].time = 1516418048;
    setTrackDb(synth::encodeTrackLog(late));
    EXPECT_RAISES(decode(), glo::OutOfRange_t, "GLO_Time.cpp", 130);

    synth::TrackLog_t polar = simpleLog("Polar", 1);
    polar.points[0].latitude = 1073741825;
    setTrackDb(synth::encodeTrackLog(polar));
    EXPECT_RAISES(decode(), glo::OutOfRange_t, "GEO_Position.cpp", 130);
}

TEST_F(PalmDatabase, ColourCodesOutsideThePaletteEndTheImport) {
    for (const uint8_t code : {uint8_t{16}, uint8_t{254}}) {
        setTrackDb(synth::encodeTrackLog(simpleLog("Odd", 1, 100, code)));
        EXPECT_RAISES(decode(), glo::OutOfRange_t, "IOG_Color108.cpp", 62);
    }
}

TEST_F(PalmDatabase, AltitudeAndAuxiliaryValuesAreCarriedUnchanged) {
    synth::TrackLog_t log = simpleLog("All", 1);
    log.pointFlags = 0x07;
    log.points[0].altitude = 412.5f;
    log.points[0].auxiliary = -3.25f;
    setTrackDb(synth::encodeTrackLog(log));
    const app::DecodedTracks_t tracks = decode();
    const nav::TrackPoint_t& point = tracks[0].second.summary().firstPoint.get();
    EXPECT_EQ(point.position.altitude().get(), 412.5);
    EXPECT_EQ(point.auxiliary.get(), -3.25);
    EXPECT_EQ(point.time.get().seconds(), 631065600 + 100);
}

TEST_F(PalmDatabase, OffsetsThatWouldWrapAreCaught) {
    // firstPointOffset 0xFFFFFFFF: offset + 4 wraps in 32 bits, not in the decoder.
    std::vector<std::string> records = recordsOf({simpleLog("Wrap", 3), simpleLog("After", 1)});
    patchU32(records[0], 34, 0xFFFFFFFF);
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"After:1"}));

    // A stride of 0xFFFF with 65535 points per record walks off the record after point 0.
    synth::TrackLog_t wide = simpleLog("Wide", 3);
    records = synth::encodeTrackLog(wide);
    records[0][4] = records[0][5] = static_cast<char>(0xFF);
    records[0][6] = records[0][7] = static_cast<char>(0xFF);
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"Wide:1"}));
}

TEST_F(PalmDatabase, SyncManagerFailuresCarryTheirCodes) {
    EXPECT_RAISES(decode(), app::ConError_t, "PalmDatabase.cpp", 64); // no TrackDB
    setTrackDb(recordsOf({simpleLog("A", 1)}));
    handheld.failCall(plm::HandheldBase_t::Call::Count, 77);
    try {
        decode();
        ADD_FAILURE();
    } catch (const app::ConError_t& e) {
        EXPECT_EQ(e.code(), 77);
        EXPECT_EQ(e.line(), 65);
    }
    handheld.failCall(plm::HandheldBase_t::Call::Count, 78, 1);
    EXPECT_RAISES(decode(), app::ConError_t, "PalmDatabase.cpp", 111);
    handheld.failCall(plm::HandheldBase_t::Call::Read, 79);
    EXPECT_RAISES(decode(), app::ConError_t, "PalmDatabase.cpp", 93);
    EXPECT_EQ(handheld.openDatabases(), 0);
}

TEST_F(PalmDatabase, AnEmptyDatabaseStillEndsTheTransaction) {
    setTrackDb({});
    nav::Database_t database(nav::Name_t(""), 3);
    app::importTracks(database);
    EXPECT_TRUE(database.tracks().empty());
    EXPECT_TRUE(database.changedKinds().none());
    EXPECT_EQ(handheld.openDatabases(), 0);
}

TEST_F(PalmDatabase, TheLargestHandheldEndsInsteadOfWrappingItsRecordIndex) {
    // Log A fills records 0..65533 with one point each; log B starts in the last record, 65534,
    // and needs a record 65535 that a 16-bit count cannot hold.
    synth::TrackLog_t a = simpleLog("A", 65534, 1);
    synth::TrackLog_t b = simpleLog("B", 2, 1);
    std::vector<std::string> records = recordsOf({a, b});
    records.pop_back();
    ASSERT_EQ(records.size(), 65535u);
    setTrackDb(records);
    EXPECT_EQ(names(decode()), (std::vector<std::string>{"A:65534", "B:1"}));
}
