#include "glo/GLO_Time.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using glo::Time_t;

namespace {

Time_t epochPlus(double seconds) {
    Time_t t = Time_t::trackTimeEpoch();
    t.addSeconds(seconds);
    return t;
}

class GloTimeZones : public ::testing::TestWithParam<const char*> {
protected:
    testsupport::ScopedTimeZone zone{GetParam()};
};

} // namespace

TEST_P(GloTimeZones, TheEpochIsTheSameInEveryZone) {
    EXPECT_EQ(Time_t::trackTimeEpoch().seconds(), 631065600);
    EXPECT_EQ(Time_t(1989, 12, 31, 0, 0, 0, 0.0).seconds(), 631065600);
}

TEST_P(GloTimeZones, CalendarFieldsGiveTheirUtcMoment) {
    EXPECT_EQ(Time_t(2000, 1, 1, 0, 0, 0, 0.0).seconds(), 946684800);
    EXPECT_EQ(Time_t(1989, 12, 31, 0, 0, 0, 3600.0).seconds(), 631062000);
    // A July date, when daylight saving is in force in half the zones above.
    EXPECT_EQ(Time_t(2020, 7, 1, 12, 30, 15, 0.0).seconds(), 1593606615);
    EXPECT_EQ(Time_t(2038, 1, 19, 3, 14, 7, 0.0).seconds(), 2147483647);
}

TEST_P(GloTimeZones, AddingSecondsRoundsHalfAwayFromZero) {
    EXPECT_EQ(epochPlus(1).seconds(), 631065601);
    EXPECT_EQ(epochPlus(0.5).seconds(), 631065601);
    EXPECT_EQ(epochPlus(-0.5).seconds(), 631065599);
    EXPECT_EQ(epochPlus(1476395007).seconds(), 2107460607);
    EXPECT_EQ(epochPlus(1516418047).seconds(), 2147483647);
    // Only the low 32 bits of the amount count: 2^32 - 2 adds -2.
    EXPECT_EQ(epochPlus(4294967294.0).seconds(), 631065598);
}

TEST_P(GloTimeZones, StandardOffsetLeavesDaylightSavingOut) {
    const std::string zone = GetParam();
    const double offset = Time_t::standardUtcOffset();
    if (zone == "America/New_York")
        EXPECT_EQ(offset, -18000.0);
    else if (zone == "Australia/Adelaide")
        EXPECT_EQ(offset, 34200.0);
    else if (zone == "Asia/Kathmandu")
        EXPECT_EQ(offset, 20700.0);
    else if (zone == "Asia/Kolkata")
        EXPECT_EQ(offset, 19800.0);
    else
        EXPECT_EQ(offset, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Zones, GloTimeZones, ::testing::ValuesIn(testsupport::timeZones()));

TEST(GloTime, SumsPastThe32BitRangeRaise) {
    EXPECT_RAISES(epochPlus(1516418048), glo::OutOfRange_t, "GLO_Time.cpp", 130);
    EXPECT_RAISES(epochPlus(-700000000), glo::OutOfRange_t, "GLO_Time.cpp", 130);
    EXPECT_RAISES(epochPlus(std::numeric_limits<double>::quiet_NaN()), glo::OutOfRange_t, "GLO_Time.cpp",
                  130);
    EXPECT_RAISES(Time_t(2038, 1, 19, 3, 14, 8, 0.0), glo::OutOfRange_t, "GLO_Time.cpp", 62);
    EXPECT_RAISES(Time_t(1969, 12, 31, 23, 59, 59, 0.0), glo::OutOfRange_t, "GLO_Time.cpp", 62);
}

TEST(GloTime, AFailedAdditionLeavesTheValue) {
    Time_t t = Time_t::trackTimeEpoch();
    EXPECT_THROW(t.addSeconds(1516418048), glo::OutOfRange_t);
    EXPECT_EQ(t.seconds(), 631065600);
}

TEST(GloTime, DifferenceIsSigned) {
    EXPECT_EQ(Time_t::difference(Time_t(631065601), Time_t(631065600)), 1.0);
    EXPECT_EQ(Time_t::difference(Time_t(631065600), Time_t(631065601)), -1.0);
}

TEST(GloTime, NowRaisesWhenTheClockGivesNoTime) {
    const Time_t::Clock previous = Time_t::setClock([]() -> int64_t { return -1; });
    EXPECT_RAISES(Time_t::now(), glo::Assert_t, "GLO_Time.cpp", 27);
    Time_t::setClock([]() -> int64_t { return 1234; });
    EXPECT_EQ(Time_t::now().seconds(), 1234);
    Time_t::setClock(nullptr);
    EXPECT_GT(Time_t::now().seconds(), 1600000000);
    Time_t::setClock(previous);
}
