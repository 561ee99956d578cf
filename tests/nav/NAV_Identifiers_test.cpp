#include "nav/NAV_BasicTable.h"
#include "nav/NAV_Identifiers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using nav::Name_t;
using nav::RouteId_t;
using nav::TrackId_t;
using nav::WaypointId_t;

namespace {

std::string written(const auto& key) {
    bin::basic_stringstream out;
    key.write(out);
    return out.str();
}

TrackId_t track(const char* name) {
    return TrackId_t(Name_t(name));
}

// The waypoint identifier's bytes in a given format version.
std::string waypointBytes(uint32_t code, uint8_t firstBlockByte, int version) {
    bin::basic_stringstream out;
    out << std::string("Home") << code << std::string("lbl") << uint32_t{7} << uint32_t{0xB};
    const unsigned char block[8] = {firstBlockByte, 2, 3, 4, 5, 6, 7, 8};
    out.write(block, 8);
    if (version <= 100)
        out << static_cast<unsigned char>(0x42);
    else
        out << uint16_t{0x4243};
    if (version > 102)
        out << uint32_t{0xC};
    return out.str();
}

WaypointId_t readWaypoint(const std::string& bytes, uint16_t version, bool* ok = nullptr) {
    bin::basic_stringstream in(bytes);
    in.setFormatVersion(version);
    WaypointId_t id(Name_t("old"));
    id.read(in);
    if (ok)
        *ok = !in.fail();
    return id;
}

} // namespace

TEST(NavName, TrailingBlanksAreTrimmedOnEveryPath) {
    EXPECT_EQ(Name_t("ACTIVE LOG   ").str(), "ACTIVE LOG");
    EXPECT_EQ(Name_t("    ").str(), "");
    EXPECT_EQ(Name_t(" lead").str(), " lead");
    EXPECT_EQ(Name_t("tab\t").str(), "tab\t");
    Name_t name;
    name.setText("x  ");
    EXPECT_EQ(name.str(), "x");
    bin::basic_stringstream in(std::string("Ab  \0", 5));
    name.read(in);
    EXPECT_EQ(name.str(), "Ab");
}

TEST(NavName, WritesItsBytesAndAZero) {
    EXPECT_EQ(written(Name_t("Ab")), std::string("Ab\0", 3));
    bin::basic_stringstream in(std::string("Ab\0", 3));
    Name_t name;
    name.read(in);
    EXPECT_EQ(name.str(), "Ab");
}

TEST(NavName, AReadCutOffByTheEndKeepsTheOldName) {
    Name_t name("keep");
    bin::basic_stringstream in(std::string("Abc"));
    name.read(in);
    EXPECT_EQ(name.str(), "keep");
    bin::basic_stringstream failed(std::string("new\0", 4));
    failed.setstate(std::ios_base::failbit);
    name.read(failed);
    EXPECT_EQ(name.str(), "keep");
}

TEST(NavIdentifiers, TextForms) {
    EXPECT_EQ(track("Log 1").text(), "Track: Log 1");
    EXPECT_EQ(RouteId_t(Name_t("")).text(), "Route: ");
    EXPECT_EQ(WaypointId_t(Name_t("Home")).text(), "Waypoint: Home");
}

TEST(NavIdentifiers, NamesDifferingInCaseAreOneKey) {
    nav::BasicTable_t<TrackId_t, int> table;
    EXPECT_TRUE(table.emplace(track("Abc"), 1).second);
    EXPECT_FALSE(table.emplace(track("ABC"), 2).second);
    EXPECT_FALSE(track("Abc") < track("ABC"));
    EXPECT_FALSE(track("ABC") < track("Abc"));
}

TEST(NavIdentifiers, RouteIdWritesNameAndTag) {
    EXPECT_EQ(written(RouteId_t(Name_t("R"), 9)), std::string("R\0\x09", 3));
    RouteId_t id(Name_t("old"), 1);
    bin::basic_stringstream cut(std::string("R\0", 2));
    id.read(cut);
    EXPECT_EQ(id.name().str(), "old");
    bin::basic_stringstream whole(std::string("R \0\x05", 4));
    id.read(whole);
    EXPECT_EQ(id.name().str(), "R");
    EXPECT_EQ(id.tag(), 5);
}

TEST(NavIdentifiers, WaypointIdRoundTrips) {
    WaypointId_t id(Name_t("Home"));
    id.code = 12;
    id.label = "x";
    id.valueA = 1;
    id.shortValue = 0x0102;
    id.valueC = 3;
    const std::string bytes = written(id);
    EXPECT_EQ(bytes.size(), 5u + 4 + 2 + 4 + 4 + 8 + 2 + 4);
    bool ok = false;
    const WaypointId_t back = readWaypoint(bytes, 105, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(back.code, 12u);
    EXPECT_EQ(back.shortValue, 0x0102);
    EXPECT_EQ(back.valueC, 3u);
    EXPECT_EQ(back.valueB, 0xFFFFFFFFu);
}

TEST(NavIdentifiers, WaypointIdReadsDependOnTheFormatVersion) {
    // version  short value  valueB  valueC
    const WaypointId_t v100 = readWaypoint(waypointBytes(3, 1, 100), 100);
    EXPECT_EQ(v100.shortValue, 0x42);
    EXPECT_EQ(v100.valueC, 0xFFFFFFFFu);
    const WaypointId_t v101 = readWaypoint(waypointBytes(3, 1, 101), 101);
    EXPECT_EQ(v101.shortValue, 0x4243);
    EXPECT_EQ(v101.valueC, 0xFFFFFFFFu);
    const WaypointId_t v103 = readWaypoint(waypointBytes(3, 33, 103), 103);
    EXPECT_EQ(v103.valueB, 0xBu);
    EXPECT_EQ(v103.valueC, 0xCu);
    EXPECT_EQ(v103.name.str(), "Home");
}

TEST(NavIdentifiers, Version102ExchangesByTheBlockJustRead) {
    // The identifier being overwritten has the default block (0xFF...), so only the block read
    // from the stream can decide.
    const WaypointId_t swapped = readWaypoint(waypointBytes(3, 33, 102), 102);
    EXPECT_EQ(swapped.valueB, 0xFFFFFFFFu);
    EXPECT_EQ(swapped.valueC, 0xBu);
    const WaypointId_t also = readWaypoint(waypointBytes(3, 31, 102), 102);
    EXPECT_EQ(also.valueC, 0xBu);
    const WaypointId_t kept = readWaypoint(waypointBytes(3, 1, 102), 102);
    EXPECT_EQ(kept.valueB, 0xBu);
    EXPECT_EQ(kept.valueC, 0xFFFFFFFFu);
}

TEST(NavIdentifiers, ACodeAbove12FailsTheReadAndKeepsTheOldIdentifier) {
    bool ok = true;
    const WaypointId_t id = readWaypoint(waypointBytes(13, 1, 105), 105, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(id.name.str(), "old");
    bool cutOk = true;
    const std::string whole = waypointBytes(2, 1, 105);
    const WaypointId_t cut = readWaypoint(whole.substr(0, whole.size() - 1), 105, &cutOk);
    EXPECT_FALSE(cutOk);
    EXPECT_EQ(cut.name.str(), "old");
}

TEST(NavBasicTable, RenameMovesTheObjectOrExplainsWhy) {
    nav::BasicTable_t<TrackId_t, int> table;
    table.emplace(track("Log 1"), 1);
    table.emplace(track("Zed"), 2);

    table.rename(track("Log 1"), track("LOG 1"));
    EXPECT_EQ(table.begin()->first.str(), "Log 1");

    try {
        table.rename(track("missing"), track("Zed"));
        ADD_FAILURE();
    } catch (const nav::KeyExists_t& e) {
        EXPECT_STREQ(e.what(), "Track: Zed already exists.");
        EXPECT_STREQ(e.source(), "NAV_BasicTable.h");
        EXPECT_EQ(e.line(), 43);
    }
    EXPECT_RAISES(table.rename(track("missing"), track("new")), nav::KeyNotFound_t, "NAV_BasicTable.h", 49);

    table.rename(track("Log 1"), track("Alpha"));
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table.begin()->first.str(), "Alpha");
    EXPECT_EQ(table.begin()->second, 1);
}

TEST(NavBasicTable, AMissingRouteIsNamedInTheMessage) {
    nav::BasicTable_t<RouteId_t, int> routes;
    try {
        routes.rename(RouteId_t(Name_t("R1")), RouteId_t(Name_t("R2")));
        ADD_FAILURE();
    } catch (const nav::KeyNotFound_t& e) {
        EXPECT_STREQ(e.what(), "Route: R1 does not exist.");
    }
}
