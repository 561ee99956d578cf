#include "bin/BIN_record.h"
#include "glo/GLO_Time.h"
#include "nav/NAV_Serialise.h"
#include "rec/REC_DatabaseWriter.h"
#include "rec/REC_FileHeader.h"
#include "rec/REC_Records.h"

#include "TestSupport.h"

using testsupport::Bytes;
using testsupport::bytesOf;
using testsupport::concat;

namespace {

const Bytes kHeader = concat({bytesOf(std::string("QvRcd\0", 6)), Bytes{0x02, 0, 0, 0, 0x44, 0x69, 0x00},
                              Bytes{0x1B, 0, 0, 0, 0x41, 0xCB, 0x00},
                              bytesOf(std::string("SQA\0Jan 20 2004\0"
                                                  "13:19:22\0",
                                                  25))});
const Bytes kNameFlagRecord = {0x02, 0, 0, 0, 0x56, 0x00, 0x01};
const Bytes kNowBytes = {0x44, 0x33, 0x22, 0x11};
const Bytes kAbsentDouble = {0, 0, 0, 0, 0, 0, 0, 0, 0};

Bytes fileOf(const nav::Database_t& database) {
    bin::basic_stringstream out;
    rec::FileHeader_t(rec::kConduitWriterVersion).write(out);
    rec::writeDatabase(database, out);
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

// A track record's payload after its name: display flag, colour, count, points.
std::string trackPayload(const nav::Track_t& track) {
    bin::basic_stringstream out;
    rec::writeTrack(out, nav::TrackId_t(nav::Name_t("X")), track);
    return out.str().substr(2);
}

// Points without a time are written with the current time: a fixed clock, restored afterwards.
class DatabaseWriter : public ::testing::Test {
protected:
    static constexpr int32_t kNow = 0x11223344;
    DatabaseWriter() : m_clock(glo::Time_t::setClock([]() -> int64_t { return kNow; })) {}
    ~DatabaseWriter() override { glo::Time_t::setClock(m_clock); }

private:
    glo::Time_t::Clock m_clock;
};

nav::TrackPoint_t pointAt(int32_t latitude) {
    nav::TrackPoint_t point;
    point.position = geo::Position_t(latitude, 0);
    point.time = glo::Time_t(latitude);
    return point;
}

} // namespace

TEST_F(DatabaseWriter, AnEmptyDatabaseIsTheHeaderAndOneNameFlagRecord) {
    const nav::Database_t database(nav::Name_t(""), 3);
    const Bytes file = fileOf(database);
    EXPECT_EQ(file.size(), 52u);
    EXPECT_EQ(file, concat({kHeader, kNameFlagRecord}));
}

TEST_F(DatabaseWriter, TheWorkedExampleGivesThe131ByteFile) {
    // The worked example's handheld record, decoded: one track of two points, the second untimed.
    nav::Track_t decoded;
    decoded.setColor(nav::Color4);
    decoded.appendPoint({geo::Position_t(536870913, 134217728), glo::Time_t(0x259D4C01), {}});
    decoded.appendPoint({geo::Position_t(536870912, 134217728), {}, {}});
    nav::Database_t database(nav::Name_t(""), 3);
    database.insertTrack(nav::TrackId_t(nav::Name_t("T1")), decoded);
    const Bytes track = concat({
        Bytes{0x4A, 0, 0, 0, 0x54, 0x54, 0x31, 0x00, 0x01, 0x04, 0, 0, 0, 0x02, 0, 0, 0},
        Bytes{0x01, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x08},
        kAbsentDouble,
        Bytes{0x01, 0x01, 0x4C, 0x9D, 0x25},
        kAbsentDouble,
        Bytes{0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x08},
        kAbsentDouble,
        Bytes{0x00},
        kNowBytes,
        kAbsentDouble,
    });
    const Bytes file = fileOf(database);
    EXPECT_EQ(file.size(), 131u);
    EXPECT_EQ(file, concat({kHeader, track, kNameFlagRecord}));
}

TEST_F(DatabaseWriter, AShownEmptyTrackNamedA) {
    nav::Database_t database(nav::Name_t(""), 3);
    database.insertTrack(nav::TrackId_t(nav::Name_t("A")), nav::Track_t());
    const Bytes file = fileOf(database);
    const Bytes record(file.begin() + 45, file.begin() + 45 + 16);
    EXPECT_EQ(record, (Bytes{0x0B, 0, 0, 0, 0x54, 0x41, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(DatabaseWriter, EveryPointIsWrittenOnceAcrossChunkSeams) {
    for (const int count : {1, 100, 101, 250}) {
        nav::Track_t track;
        for (int i = 1; i <= count; ++i)
            track.appendPoint(pointAt(i));
        const std::string bytes = trackPayload(track);
        ASSERT_EQ(bytes.size(), 9u + 31u * static_cast<std::size_t>(count));
        EXPECT_EQ(static_cast<unsigned char>(bytes[5]), count & 0xFF);
        for (int i = 0; i < count; ++i) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 9 + 31 * i;
            EXPECT_EQ(p[0] | (p[1] << 8), i + 1) << "point " << i << " of " << count;
        }
    }
}

TEST_F(DatabaseWriter, TracksAreWrittenInNameOrderIgnoringCase) {
    nav::Database_t database(nav::Name_t(""), 3);
    database.insertTrack(nav::TrackId_t(nav::Name_t("b")), nav::Track_t());
    database.insertTrack(nav::TrackId_t(nav::Name_t("A")), nav::Track_t());
    const Bytes file = fileOf(database);
    EXPECT_EQ(file[45 + 5], 'A');
    EXPECT_EQ(file[45 + 16 + 5], 'b');
}

TEST_F(DatabaseWriter, EachUntimedPointReadsTheClockAfresh) {
    static int32_t tick;
    tick = 1000;
    glo::Time_t::setClock([]() -> int64_t { return tick++; });
    nav::Track_t track;
    track.appendPoint({geo::Position_t(0, 0), {}, {}});
    track.appendPoint({geo::Position_t(0, 1), {}, {}});
    const std::string bytes = trackPayload(track);
    EXPECT_EQ(static_cast<unsigned char>(bytes[9 + 18]), 0xE8);
    EXPECT_EQ(static_cast<unsigned char>(bytes[9 + 31 + 18]), 0xE9);
}

TEST_F(DatabaseWriter, TimedAndUntimedPointsAreWrittenAsEachPointEncodes) {
    // Runs of timed points go out from the track's own array; untimed ones are encoded with the
    // clock. Either way the bytes are those of encodeTrackPoint, point by point.
    nav::Track_t track;
    for (int32_t i = 0; i < 700; ++i) {
        nav::TrackPoint_t point = pointAt(i * 3);
        if (i % 7 == 3 || (i >= 300 && i < 600))
            point.time.reset();
        if (i % 2)
            point.position.setAltitude(100.5 + i);
        if (i % 5 == 1)
            point.auxiliary = -2.0 * i;
        track.appendPoint(point);
    }
    std::string expected;
    track.forEachPoint([&](const nav::TrackPoint_t& point) {
        unsigned char bytes[nav::kTrackPointSize];
        nav::encodeTrackPoint(bytes, point);
        expected.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
    });
    EXPECT_EQ(trackPayload(track).substr(9), expected);

    nav::Database_t database(nav::Name_t(""), 3);
    database.insertTrack(nav::TrackId_t(nav::Name_t("T")), track);
    const Bytes file = fileOf(database);
    // The framed record: length, type 'T', name, flag, colour, count, points.
    const Bytes length = {static_cast<uint8_t>((11 + 700 * 31) & 0xFF),
                          static_cast<uint8_t>((11 + 700 * 31) >> 8), 0, 0};
    EXPECT_EQ(Bytes(file.begin() + 45, file.begin() + 49), length);
    EXPECT_EQ(file[49], 'T');
    EXPECT_EQ(std::string(file.begin() + 61, file.begin() + 61 + 700 * 31), expected);
}

TEST_F(DatabaseWriter, WaypointsRoutesAndListsFollowTheirLayouts) {
    nav::Database_t database(nav::Name_t(""), 3);
    nav::Waypoint_t waypoint;
    waypoint.realA = -2.5;
    database.waypoints().emplace(nav::WaypointId_t(nav::Name_t("W")), waypoint);
    database.routes().emplace(nav::RouteId_t(nav::Name_t("R"), 7), nav::Route_t());
    database.routeFlagList().emplace_back(nav::RouteId_t(nav::Name_t("R"), 7), uint8_t{1});
    nav::LEntry_t entry;
    entry.numbers = {5};
    database.recordSet().insert(entry);
    const Bytes file = fileOf(database);

    std::size_t at = 45;
    auto next = [&](char type) {
        EXPECT_EQ(file[at + 4], type);
        const std::size_t length = file[at] | (file[at + 1] << 8);
        const Bytes payload(file.begin() + static_cast<long>(at + 5),
                            file.begin() + static_cast<long>(at + 5 + length));
        at += 5 + length;
        return payload;
    };
    const Bytes w = next('W');
    EXPECT_EQ(w.size(), 2u + 4 + 1 + 4 + 4 + 8 + 2 + 4 + 17 + 1 + 9 + 12 + 3 + 1 + 9 + 2 + 4 + 1);
    EXPECT_EQ(Bytes(w.end() - 5, w.end() - 1), (Bytes{0xFD, 0xFF, 0xFF, 0xFF})); // -2.5 rounds to -3
    EXPECT_EQ(next('R'), (Bytes{'R', 0, 7, 1, 0, 0, 0, 0}));
    EXPECT_EQ(next('0'), (Bytes{'R', 0, 7, 1}));
    EXPECT_EQ(next('L'), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(next('V'), (Bytes{0, 1}));
    EXPECT_EQ(at, file.size());
}
