#include "bin/BIN_record.h"
#include "rec/REC_DatabaseReader.h"
#include "rec/REC_DatabaseWriter.h"
#include "rec/REC_FileHeader.h"

#include "TestSupport.h"

#include <sstream>

namespace {

std::string fileOf(const nav::Database_t& database) {
    bin::basic_stringstream out;
    rec::FileHeader_t(rec::kConduitWriterVersion).write(out);
    rec::writeDatabase(database, out);
    return out.str();
}

rec::FileInfo_t readBack(const std::string& bytes, nav::Database_t& database) {
    std::istringstream in(bytes);
    return rec::readDatabase(in, database);
}

// The header and the records given, framed.
std::string fileWith(const std::vector<bin::record_t*>& records) {
    bin::basic_stringstream out;
    rec::FileHeader_t(rec::kConduitWriterVersion).write(out);
    for (bin::record_t* record : records)
        out << *record;
    return out.str();
}

void fill(nav::Database_t& database) {
    nav::WaypointId_t waypointId(nav::Name_t("Summit"));
    waypointId.code = 4;
    nav::Waypoint_t waypoint;
    waypoint.position = geo::Position_t(100, -200, 3.5);
    waypoint.textA = "a";
    waypoint.optionalB = 2.0;
    waypoint.realA = 7;
    database.waypoints().emplace(waypointId, waypoint);

    nav::Route_t route;
    route.box = geo::Box_t(10, 0, 5, -5);
    nav::RouteWaypoint_t stop;
    stop.waypoint = waypointId;
    stop.link.path = {geo::Position_t(1, 1)};
    route.routePoints.push_back(stop);
    database.routes().emplace(nav::RouteId_t(nav::Name_t("Loop"), 2), route);

    nav::Track_t track;
    track.setColor(nav::Color7);
    for (int i = 0; i < 150; ++i)
        track.appendPoint({geo::Position_t(i * 1000, -i * 1000,
                                           i % 2 ? glo::Optional_t<double>(i) : glo::Optional_t<double>()),
                           glo::Time_t(700000000 + i),
                           i % 3 ? glo::Optional_t<double>(0.5) : glo::Optional_t<double>()});
    database.insertTrack(nav::TrackId_t(nav::Name_t("Walk")), track);
    database.insertTrack(nav::TrackId_t(nav::Name_t("Empty")), nav::Track_t());
    database.routeFlagList().emplace_back(nav::RouteId_t(nav::Name_t("Loop"), 2), uint8_t{9});
    nav::LEntry_t entry;
    entry.text2 = "x";
    entry.numbers = {1, 2, 3};
    database.recordSet().insert(entry);
    database.endTransaction();
}

void expectFormatError(const std::string& bytes, uint64_t offset, const std::string& part) {
    nav::Database_t database(nav::Name_t(""), 3);
    try {
        readBack(bytes, database);
        ADD_FAILURE() << "read without error: " << part;
    } catch (const rec::FileFormatError_t& e) {
        EXPECT_EQ(e.offset(), offset) << e.what();
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
}

} // namespace

TEST(BinDatabaseReader, WritingWhatWasReadGivesTheSameBytes) {
    nav::Database_t full(nav::Name_t(""), 3);
    fill(full);
    const std::string original = fileOf(full);
    nav::Database_t database(nav::Name_t(""), 3);
    const rec::FileInfo_t info = readBack(original, database);
    EXPECT_EQ(info.formatVersion, 105);
    EXPECT_EQ(info.writerVersion, 203);
    EXPECT_EQ(info.buildLabel, "SQA");
    EXPECT_EQ(info.buildDate, "Jan 20 2004");
    EXPECT_EQ(info.buildTime, "13:19:22");
    EXPECT_EQ(info.unknownRecords, 0u);
    EXPECT_EQ(fileOf(database), original);

    const nav::Track_t& walk = database.tracks().at(nav::TrackId_t(nav::Name_t("walk")));
    EXPECT_EQ(walk.summary().pointCount, 150);
    EXPECT_EQ(walk.color(), nav::Color7);
    EXPECT_GT(walk.summary().distance, 0.0);
    EXPECT_EQ(walk.summary().duration.get(), 149.0);
}

TEST(BinDatabaseReader, AnEmptyDatabaseRoundTrips) {
    const std::string original = fileOf(nav::Database_t(nav::Name_t(""), 3));
    nav::Database_t database(nav::Name_t(""), 3);
    readBack(original, database);
    EXPECT_EQ(database.nameFlagList().size(), 1u);
    EXPECT_EQ(fileOf(database), original);
}

TEST(BinDatabaseReader, UnknownRecordsAreSkippedAndCounted) {
    bin::record_t odd('Z');
    odd << uint32_t{42};
    nav::Database_t database(nav::Name_t(""), 3);
    const rec::FileInfo_t info = readBack(fileWith({&odd}), database);
    EXPECT_EQ(info.unknownRecords, 1u);
}

TEST(BinDatabaseReader, MalformedFilesNameTheOffset) {
    expectFormatError("QvRcX", 0, "signature");
    const std::string good = fileOf(nav::Database_t(nav::Name_t(""), 3));
    expectFormatError(good.substr(0, good.size() - 1), 45, "cut short");
    expectFormatError(good.substr(0, good.size() - 4), 45, "record header is cut short");
    expectFormatError(good.substr(0, 20), 13, "cut short");

    std::string newer = good;
    newer[11] = 106;
    expectFormatError(newer, 6, "newer than 105");

    bin::record_t extra('V');
    extra << std::string("n") << uint8_t{1} << uint8_t{0};
    expectFormatError(fileWith({&extra}), 45, "1 bytes too many");

    bin::record_t colour('T');
    colour << std::string("T") << true << uint32_t{17} << uint32_t{0};
    expectFormatError(fileWith({&colour}), 45, "colour 17");

    bin::record_t count('T');
    count << std::string("T") << true << uint32_t{1} << uint32_t{0xFFFFFFFF};
    expectFormatError(fileWith({&count}), 45, "point count");

    bin::record_t pole('T');
    pole << std::string("T") << true << uint32_t{1} << uint32_t{1} << int32_t{1073741825} << int32_t{0};
    pole.write(std::string(23, '\0').data(), 23);
    expectFormatError(fileWith({&pole}), 45, "out of range");

    bin::record_t code('W');
    code << std::string("W") << uint32_t{13};
    expectFormatError(fileWith({&code}), 45, "out of range");

    // A length of 4 GB with nothing behind it: an error, not an allocation.
    std::string lying = good.substr(0, 45);
    lying += std::string("\xFF\xFF\xFF\xFFV", 5);
    expectFormatError(lying, 45, "cut short");
}

TEST(BinDatabaseReader, ADuplicateNameIsAnError) {
    bin::record_t a('T');
    a << std::string("Same") << true << uint32_t{0} << uint32_t{0};
    bin::record_t b('T');
    b << std::string("SAME") << true << uint32_t{0} << uint32_t{0};
    expectFormatError(fileWith({&a, &b}), 45 + 5 + 14, "appears twice");
}
