#include "nav/NAV_Identifiers.h"
#include "nav/NAV_Track.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

using nav::Track_t;
using nav::TrackPoint_t;

namespace {

constexpr double kSemicirclesPerDegree = 2147483648.0 / 180.0;

TrackPoint_t point(int32_t latitude, int32_t longitude, int32_t time = -1) {
    TrackPoint_t p;
    p.position = geo::Position_t(latitude, longitude);
    if (time >= 0)
        p.time = glo::Time_t(time);
    return p;
}

Track_t trackOf(int count) {
    Track_t track;
    for (int i = 0; i < count; ++i)
        track.appendPoint(point(i, i, 1000 + i));
    return track;
}

std::vector<int32_t> latitudes(const nav::TrackChunk_t& chunk) {
    std::vector<int32_t> out;
    for (const TrackPoint_t& p : chunk.points())
        out.push_back(p.position.latitude());
    return out;
}

} // namespace

TEST(NavTrack, APointWithAllItsValuesStaysSmall) {
    EXPECT_LE(sizeof(TrackPoint_t), 64u);
    // A track's points are most of a HotSync's memory: a point takes what it takes in the file.
    EXPECT_EQ(sizeof(TrackPoint_t), 31u);
    EXPECT_EQ(alignof(TrackPoint_t), 1u);
}

TEST(NavTrack, APointReadsBackEveryValueItWasGiven) {
    TrackPoint_t p;
    EXPECT_FALSE(p.time.present());
    EXPECT_FALSE(p.auxiliary.present());
    EXPECT_FALSE(p.position.altitude().present());
    p.position = geo::Position_t(-5, 7, -0.25);
    p.time = glo::Time_t(123456);
    p.auxiliary = 1e300;
    EXPECT_EQ(p.position.latitude(), -5);
    EXPECT_EQ(p.position.longitude(), 7);
    EXPECT_EQ(p.position.altitude().get(), -0.25);
    EXPECT_EQ(p.time.get().seconds(), 123456);
    EXPECT_EQ(p.auxiliary.get(), 1e300);
    const glo::Optional_t<glo::Time_t> time = p.time;
    EXPECT_EQ(time.get().seconds(), 123456);
    p.time.reset();
    p.auxiliary = glo::Optional_t<double>();
    EXPECT_FALSE(p.time.present());
    EXPECT_FALSE(p.auxiliary.present());
    EXPECT_RAISES(p.time.get(), glo::Assert_t, "GLO_Optional.h", 103);
}

TEST(NavTrack, ChunksViewTheTracksOwnPointsAfterGrowthAndCopies) {
    Track_t track = trackOf(150);
    track.reservePoints(1000);
    track.appendPoint(track.points().back()); // a point of its own, while the array moves
    const Track_t copy(track);
    Track_t assigned;
    assigned = copy;
    Track_t moved(std::move(track));
    for (const Track_t* t : std::initializer_list<const Track_t*>{&copy, &assigned, &moved}) {
        ASSERT_EQ(t->points().size(), 151u);
        ASSERT_EQ(t->chunks().size(), 2u);
        EXPECT_EQ(t->chunks()[0].points().data(), t->points().data());
        EXPECT_EQ(t->chunks()[1].points().data(), t->points().data() + 99);
        EXPECT_EQ(latitudes(t->chunks()[1]).back(), 149);
        EXPECT_EQ(t->chunks()[1].points().size(), 52u);
    }
    moved.releaseSpareRoom();
    EXPECT_EQ(moved.chunks()[1].points().data(), moved.points().data() + 99);
    EXPECT_EQ(latitudes(moved.chunks()[0]).front(), 0);
}

// A point decoded straight into the track's array counts as an appended copy of it would. One that
// is not made whole, or whose decoding throws, leaves no trace, even where making room for it moved
// the array, and none of its values reaches the next point.
TEST(NavTrack, APointDecodedInPlaceCountsOnlyWhenWhole) {
    Track_t appended = trackOf(100); // a full array and a full chunk
    Track_t decoded = trackOf(100);
    const auto halfMade = [](TrackPoint_t& p) {
        p.position = geo::Position_t(1, 1);
        p.time = glo::Time_t(5);
        p.auxiliary = 1.0;
    };
    EXPECT_FALSE(decoded.appendDecoded([&](TrackPoint_t& p) {
        halfMade(p);
        return false;
    }));
    EXPECT_THROW(decoded.appendDecoded([&](TrackPoint_t& p) -> bool {
        halfMade(p);
        throw std::runtime_error("refused");
    }),
                 std::runtime_error);
    ASSERT_EQ(decoded.points().size(), 100u);
    ASSERT_EQ(decoded.chunks().size(), 1u);
    EXPECT_EQ(decoded.chunks()[0].points().data(), decoded.points().data());
    EXPECT_EQ(decoded.summary().pointCount, 100);
    EXPECT_EQ(decoded.summary().lastPoint.get().position, appended.points().back().position);

    const TrackPoint_t next = point(7, -9); // no time
    appended.appendPoint(next);
    EXPECT_TRUE(decoded.appendDecoded([&](TrackPoint_t& p) {
        p.position = next.position;
        return true;
    }));
    ASSERT_EQ(decoded.points().size(), 101u);
    EXPECT_FALSE(decoded.points().back().time.present());
    EXPECT_FALSE(decoded.points().back().auxiliary.present());
    ASSERT_EQ(decoded.chunks().size(), 2u);
    EXPECT_EQ(latitudes(decoded.chunks()[1]), latitudes(appended.chunks()[1]));
    const nav::TrackSummary_t& mine = decoded.summary();
    const nav::TrackSummary_t& theirs = appended.summary();
    EXPECT_EQ(mine.pointCount, theirs.pointCount);
    EXPECT_EQ(mine.distance, theirs.distance);
    EXPECT_EQ(mine.areaSum, theirs.areaSum);
    EXPECT_EQ(mine.box, theirs.box);
    EXPECT_EQ(mine.duration.present(), theirs.duration.present());
    EXPECT_EQ(mine.lastPoint.get().position, next.position);
}

TEST(NavTrack, OnePointSummary) {
    Track_t track;
    const TrackPoint_t p = point(500, -700, 42);
    track.appendPoint(p);
    const nav::TrackSummary_t& s = track.summary();
    EXPECT_EQ(s.pointCount, 1);
    EXPECT_EQ(s.distance, 0.0);
    EXPECT_EQ(s.duration.get(), 0.0);
    EXPECT_EQ(s.areaSum, 0.0);
    EXPECT_EQ(s.firstPoint.get().position, p.position);
    EXPECT_EQ(s.lastPoint.get().position, p.position);
    EXPECT_EQ(s.minLatitude, 500);
    EXPECT_EQ(s.maxLatitude, 500);
    EXPECT_EQ(s.box.north(), 500);
    EXPECT_EQ(s.box.west(), -700);
    EXPECT_EQ(s.box.longitudeSpan(), 0u);
}

TEST(NavTrack, OneDegreeOnTheEquator) {
    Track_t track;
    track.appendPoint(point(0, 0));
    track.appendPoint(point(0, static_cast<int32_t>(kSemicirclesPerDegree)));
    // The raw difference is 2^31/180 truncated to a whole semicircle.
    EXPECT_NEAR(track.summary().distance, 111319.49, 0.01);
    EXPECT_NEAR(track.summary().distance, 6378137.0 * 11930464.0 * std::numbers::pi / 2147483648.0, 1e-6);
}

TEST(NavTrack, LongLegsAreCorrectedForFlattening) {
    // One degree of latitude at 45 degrees north: the ellipsoid gives about 111.13 km, less than
    // the sphere's 111.32 km.
    const auto at45 = static_cast<int32_t>(45 * kSemicirclesPerDegree);
    const auto at46 = static_cast<int32_t>(46 * kSemicirclesPerDegree);
    Track_t track;
    track.appendPoint(point(at45, 0));
    track.appendPoint(point(at46, 0));
    EXPECT_NEAR(track.summary().distance, 111133.0, 150.0);
    Track_t same;
    same.appendPoint(point(at45, 5));
    same.appendPoint(point(at45, 5));
    EXPECT_EQ(same.summary().distance, 0.0);
}

TEST(NavTrack, AnUntimedPointBreaksTheDuration) {
    Track_t track;
    track.appendPoint(point(0, 0, 100));
    track.appendPoint(point(0, 1));
    track.appendPoint(point(0, 2, 200));
    EXPECT_EQ(track.summary().duration.get(), 0.0);
    track.appendPoint(point(0, 3, 150));
    EXPECT_EQ(track.summary().duration.get(), 50.0);
}

TEST(NavTrack, ShoelaceSumOfATriangle) {
    Track_t track;
    track.appendPoint(point(0, 0));
    track.appendPoint(point(0, 10));
    track.appendPoint(point(10, 10));
    track.appendPoint(point(0, 0));
    // Legs: (0,0)->(0,10): 0; (0,10)->(10,10): 10*10 - 10*0 = 100; (10,10)->(0,0): 0.
    EXPECT_EQ(track.summary().areaSum, 100.0);
}

TEST(NavTrack, ChunksHold100PointsAndBeginWithASeamCopy) {
    const Track_t t101 = trackOf(101);
    ASSERT_EQ(t101.chunks().size(), 2u);
    EXPECT_EQ(t101.chunks()[0].points().size(), 100u);
    EXPECT_EQ(latitudes(t101.chunks()[1]), (std::vector<int32_t>{99, 100}));
    EXPECT_EQ(t101.summary().pointCount, 101);

    const Track_t t199 = trackOf(199);
    ASSERT_EQ(t199.chunks().size(), 2u);
    EXPECT_EQ(t199.chunks()[1].points().size(), 100u);

    const Track_t t200 = trackOf(200);
    ASSERT_EQ(t200.chunks().size(), 3u);
    EXPECT_EQ(latitudes(t200.chunks()[2]), (std::vector<int32_t>{198, 199}));
}

TEST(NavTrack, TotalsAreTheSumsOfTheChunks) {
    const Track_t track = trackOf(250);
    double distance = 0;
    double duration = 0;
    for (const nav::TrackChunk_t& chunk : track.chunks()) {
        distance += chunk.summary().distance;
        duration += chunk.summary().duration.get();
    }
    EXPECT_NEAR(track.summary().distance, distance, 1e-6);
    EXPECT_EQ(track.summary().duration.get(), duration);
    EXPECT_EQ(track.summary().duration.get(), 249.0);
    EXPECT_EQ(track.summary().firstPoint.get().position.latitude(), 0);
    EXPECT_EQ(track.summary().lastPoint.get().position.latitude(), 249);
    EXPECT_EQ(track.summary().minLatitude, 0);
    EXPECT_EQ(track.summary().maxLatitude, 249);
    int visited = 0;
    track.forEachPoint([&](const TrackPoint_t& p) { EXPECT_EQ(p.position.latitude(), visited++); });
    EXPECT_EQ(visited, 250);
}

TEST(NavTrack, ClearPointsKeepsColourAndFlag) {
    Track_t track = trackOf(5);
    track.setColor(nav::Color5);
    track.setDisplayFlag(false);
    track.clearPoints();
    EXPECT_EQ(track.color(), nav::Color5);
    EXPECT_FALSE(track.displayFlag());
    EXPECT_TRUE(track.chunks().empty());
    EXPECT_EQ(track.summary().pointCount, 0);
    EXPECT_TRUE(track.summary().box.empty());
    EXPECT_FALSE(track.summary().firstPoint.present());
    EXPECT_EQ(track.summary().minLatitude, geo::kMaxLatitude);
}

TEST(NavTrack, CopiesHaveTheirOwnFilter) {
    const Track_t original = trackOf(3);
    Track_t copy(original);
    EXPECT_NE(&copy.filter(), &original.filter());
    EXPECT_NE(dynamic_cast<nav::NullFilter_t*>(&copy.filter()), nullptr);
    Track_t assigned;
    assigned = original;
    EXPECT_NE(&assigned.filter(), &original.filter());
    EXPECT_EQ(assigned.summary().pointCount, 3);
    assigned = assigned;
    EXPECT_EQ(assigned.summary().pointCount, 3);
}

TEST(NavTrack, TheNullFilterAppends) {
    Track_t track;
    EXPECT_FALSE(track.filter().addPoint(track, point(1, 1)));
    EXPECT_EQ(track.summary().pointCount, 1);
}

TEST(NavTrack, AppendingForgetsTheChunksPicture) {
    Track_t track = trackOf(2);
    int picture = 0;
    const_cast<nav::TrackChunk_t&>(track.chunks()[0]).setDrawing(&picture);
    EXPECT_TRUE(track.chunks()[0].drawing());
    track.appendPoint(point(5, 5));
    EXPECT_FALSE(track.chunks()[0].drawing());
}

TEST(NavTrack, DecodedTracksMoveRatherThanCopy) {
    static_assert(std::is_nothrow_move_constructible_v<std::pair<nav::TrackId_t, nav::Track_t>>);
    SUCCEED();
}
