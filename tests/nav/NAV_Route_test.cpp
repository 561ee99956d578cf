#include "nav/NAV_Route.h"
#include "nav/NAV_Serialise.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(NavRoute, CopiesShareTheCachedPicture) {
    nav::Route_t route;
    int picture = 0;
    route.setPicture(&picture);
    const nav::Route_t copy = route;
    EXPECT_EQ(copy.picture().get(), route.picture().get());
    EXPECT_EQ(route.picture()->count(), 2);
}

TEST(NavRoute, ARouteWaypointRoundTripsAndChecksItsValues) {
    nav::RouteWaypoint_t stop;
    stop.waypoint = nav::WaypointId_t(nav::Name_t("W"));
    stop.link.label = "L";
    stop.link.valueD = 2;
    stop.link.path = {geo::Position_t(1, 2, 3.0), geo::Position_t(-4, 5)};
    stop.link.box = geo::Box_t(10, 0, 20, 5);
    bin::basic_stringstream out;
    stop.write(out);

    nav::RouteWaypoint_t back;
    bin::basic_stringstream in(out.str());
    back.read(in);
    ASSERT_FALSE(in.fail());
    EXPECT_EQ(back.link.path.size(), 2u);
    EXPECT_EQ(back.link.path[0], stop.link.path[0]);
    EXPECT_EQ(back.link.box, stop.link.box);
    EXPECT_EQ(back.link.valueA, 3u);

    stop.link.valueA = 4;
    bin::basic_stringstream bad;
    stop.write(bad);
    nav::RouteWaypoint_t unchanged;
    bin::basic_stringstream badIn(bad.str());
    unchanged.read(badIn);
    EXPECT_TRUE(badIn.fail());
    EXPECT_TRUE(unchanged.link.path.empty());
}

TEST(NavSerialise, CompositeEncodings) {
    bin::basic_stringstream out;
    nav::writeOptional(out, glo::Optional_t<double>());
    nav::writeBox(out, geo::Box_t());
    nav::writePosition(out, geo::Position_t(-1, 2));
    const std::string bytes = out.str();
    EXPECT_EQ(bytes, std::string("\0\0\0\0\0\0\0\0\0"
                                 "\x01"
                                 "\xFF\xFF\xFF\xFF\x02\0\0\0\0\0\0\0\0\0\0\0\0",
                                 9 + 1 + 17));
    EXPECT_EQ(nav::roundedToInt32(2.5), 3);
    EXPECT_EQ(nav::roundedToInt32(-2.5), -3);
    EXPECT_EQ(nav::roundedToInt32(-2.4), -2);
    EXPECT_THROW(nav::roundedToInt32(3e9), glo::OutOfRange_t);
}

TEST(NavSerialise, AnOutOfRangeLatitudeFailsTheRead) {
    bin::basic_stringstream out;
    out << int32_t{1073741825} << int32_t{0};
    nav::writeOptional(out, glo::Optional_t<double>());
    geo::Position_t position(5, 5);
    bin::basic_stringstream in(out.str());
    nav::readPosition(in, position);
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(position.latitude(), 5);
}
