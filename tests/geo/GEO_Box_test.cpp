#include "geo/GEO_Box.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using geo::Box_t;
using geo::Position_t;

namespace {
constexpr int32_t kTop = 0x7FFFFFFF;
constexpr int32_t kBottom = static_cast<int32_t>(0x80000000u);

Box_t span(int32_t west, int32_t east) {
    return Box_t(10, 0, east, west);
}
} // namespace

TEST(GeoPosition, LatitudeIsCheckedAtItsBounds) {
    // latitude                    ok?
    const struct {
        int32_t latitude;
        bool valid;
    } cases[] = {
        {1073741824, true},   {-1073741824, true}, {1073741825, false},
        {-1073741825, false}, {kTop, false},       {kBottom, false},
    };
    for (const auto& c : cases) {
        if (c.valid) {
            EXPECT_NO_THROW(Position_t(c.latitude, kBottom));
        } else {
            EXPECT_RAISES(Position_t(c.latitude, 0), glo::OutOfRange_t, "GEO_Position.cpp", 63);
            Position_t p;
            EXPECT_RAISES(p.setLatitude(c.latitude), glo::OutOfRange_t, "GEO_Position.cpp", 130);
        }
    }
}

TEST(GeoBox, TakesTheShortWayAcrossTheAntimeridian) {
    const Box_t box(Position_t(10, kTop - 99), Position_t(20, kBottom + 100));
    EXPECT_EQ(box.north(), 20);
    EXPECT_EQ(box.south(), 10);
    EXPECT_EQ(box.west(), kTop - 99);
    EXPECT_EQ(box.east(), kBottom + 100);
    EXPECT_EQ(box.longitudeSpan(), 200u);
    EXPECT_TRUE(box.containsLongitude(kTop));
    EXPECT_TRUE(box.containsLongitude(kBottom));
    EXPECT_FALSE(box.containsLongitude(0));
}

TEST(GeoBox, HalfTheGlobeEitherWayStaysInPlace) {
    const Box_t box(Position_t(0, 0), Position_t(0, kBottom));
    EXPECT_EQ(box.east(), 0);
    EXPECT_EQ(box.west(), kBottom);
}

TEST(GeoBox, AltitudesArePairedAndOrdered) {
    Box_t lonely(Position_t(1, 1, 5.0), Position_t(0, 0));
    EXPECT_FALSE(lonely.top().present());
    EXPECT_FALSE(lonely.bottom().present());
    Box_t swapped(Position_t(1, 1, 1.0), Position_t(0, 0, 3.0));
    EXPECT_EQ(swapped.top().get(), 3.0);
    EXPECT_EQ(swapped.bottom().get(), 1.0);
    EXPECT_EQ(swapped.altitudeExtent().get(), 2.0);
}

TEST(GeoBox, EdgesOfAnEmptyBoxRaise) {
    const Box_t empty;
    EXPECT_RAISES(empty.north(), glo::OutOfRange_t, "GEO_Box.cpp", 198);
    EXPECT_RAISES(empty.south(), glo::OutOfRange_t, "GEO_Box.cpp", 212);
    EXPECT_RAISES(empty.east(), glo::OutOfRange_t, "GEO_Box.cpp", 226);
    EXPECT_RAISES(empty.west(), glo::OutOfRange_t, "GEO_Box.cpp", 240);
    EXPECT_RAISES(empty.top(), glo::OutOfRange_t, "GEO_Box.cpp", 254);
    EXPECT_RAISES(empty.bottom(), glo::OutOfRange_t, "GEO_Box.cpp", 268);
    EXPECT_FALSE(empty.containsLongitude(0));
    EXPECT_FALSE(empty.overlapsLongitude(span(0, 10)));
}

TEST(GeoBox, ASinglePointContainsOnlyItsLongitude) {
    const Box_t point = span(5, 5);
    EXPECT_TRUE(point.containsLongitude(5));
    EXPECT_FALSE(point.containsLongitude(4));
    EXPECT_FALSE(point.containsLongitude(6));
}

TEST(GeoBox, UnionJoinsOverTheSmallerGap) {
    // a (west, east)   b (west, east)    result (west, east)
    const struct {
        int32_t aw, ae, bw, be, rw, re;
    } cases[] = {
        {0, 10, 20, 30, 0, 30},
        {0, 10, -30, -20, -30, 10},
        {0, 10, 5, 20, 0, 20},
        {kTop - 10, kTop, kBottom, kBottom + 10, kTop - 10, kBottom + 10},
        // Disjoint with equal gaps: b's west and a's east.
        {0, 10, kBottom, kBottom + 10, kBottom, 10},
    };
    for (const auto& c : cases) {
        const Box_t united = Box_t::unite(span(c.aw, c.ae), span(c.bw, c.be));
        EXPECT_EQ(united.west(), c.rw) << c.aw << " " << c.bw;
        EXPECT_EQ(united.east(), c.re) << c.aw << " " << c.bw;
    }
}

TEST(GeoBox, BoxesCoveringTheGlobeUniteToTheWholeGlobe) {
    const Box_t a = span(0, kBottom);
    const Box_t b = span(kBottom, 0);
    const Box_t united = Box_t::unite(a, b);
    EXPECT_EQ(united.east(), kTop);
    EXPECT_EQ(united.west(), kBottom);
    EXPECT_EQ(Box_t::unite(a, a), a);
}

TEST(GeoBox, UnionTakesLatitudesAndAltitudes) {
    const Box_t a(Position_t(30, 0, 100.0), Position_t(10, 5, 50.0));
    const Box_t b(Position_t(20, 1), Position_t(-5, 2));
    const Box_t united = Box_t::unite(a, b);
    EXPECT_EQ(united.north(), 30);
    EXPECT_EQ(united.south(), -5);
    EXPECT_EQ(united.top().get(), 100.0);
    EXPECT_EQ(united.bottom().get(), 50.0);
    EXPECT_EQ(Box_t::unite(Box_t(), b), b);
    EXPECT_EQ(Box_t::unite(a, Box_t()), a);
}

TEST(GeoBox, UnitingABoxThatAddsNothingGivesTheSameBox) {
    // west    east    inner west  inner east
    const struct {
        int32_t w, e, iw, ie;
    } cases[] = {
        {0, 100, 10, 90},
        {kTop - 50, kBottom + 50, kTop - 10, kBottom + 10}, // across the antimeridian
        {-20, 20, -20, 20},
        {5, 5, 5, 5},
    };
    for (const auto& c : cases) {
        const Box_t outer(Position_t(40, c.e, 9.0), Position_t(-40, c.w, 1.0));
        const Box_t inner(Position_t(30, c.ie, 8.0), Position_t(-30, c.iw, 2.0));
        EXPECT_EQ(Box_t::unite(outer, inner), outer) << c.w;
        const Box_t higher(Position_t(30, c.ie, 10.0), Position_t(-30, c.iw, 2.0));
        EXPECT_EQ(Box_t::unite(outer, higher).top().get(), 10.0);
        const Box_t wider(Position_t(30, c.ie + 200, 8.0), Position_t(-30, c.iw, 2.0));
        EXPECT_NE(Box_t::unite(outer, wider).east(), outer.east());
    }
    // A box that holds the other the long way round the globe gives the whole globe, not a.
    const Box_t a = span(0, kBottom);
    const Box_t b = span(kBottom, 0);
    EXPECT_EQ(Box_t::unite(a, b).longitudeSpan(), 0xFFFFFFFFu);
}

namespace {

// Moves a box east by `shift` semicircles, wrapping at the antimeridian.
Box_t shifted(const Box_t& box, uint32_t shift) {
    const auto east = static_cast<int32_t>(static_cast<uint32_t>(box.east()) + shift);
    const auto west = static_cast<int32_t>(static_cast<uint32_t>(box.west()) + shift);
    return Box_t(box.north(), box.south(), east, west, box.top(), box.bottom());
}

} // namespace

// Two overlapping boxes away from the antimeridian unite to their outermost edges; the same boxes
// moved so that one of them crosses it unite by the general rule to the same box, moved.
TEST(GeoBox, OverlappingBoxesUniteAlikeWhereverTheyLie) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> longitude(-1'000'000'000, 1'000'000'000);
    std::uniform_int_distribution<int32_t> width(0, 500'000'000);
    for (int i = 0; i < 20000; ++i) {
        const int32_t aWest = longitude(random);
        const int32_t aEast = aWest + width(random);
        const int32_t bWest = std::uniform_int_distribution<int32_t>(aWest - 500'000'000, aEast)(random);
        const int32_t bEast = std::max(aWest, bWest) + width(random);
        const Box_t a(Position_t(40, aEast, 9.0), Position_t(-40, aWest, 1.0));
        const Box_t b(Position_t(45, bEast), Position_t(-45, bWest));
        const Box_t united = Box_t::unite(a, b);
        ASSERT_EQ(united.west(), std::min(aWest, bWest)) << i;
        ASSERT_EQ(united.east(), std::max(aEast, bEast)) << i;
        ASSERT_EQ(united.top().get(), 9.0);
        // Put the antimeridian inside a's span or b's.
        const uint32_t shift = 0x80000000u - static_cast<uint32_t>(i % 2 ? aWest : bWest) - 1;
        ASSERT_EQ(Box_t::unite(shifted(a, shift), shifted(b, shift)), shifted(united, shift)) << i;
    }
}

// A leg's box united into a running box gives what uniting the normalised box of its two points
// gives, across the antimeridian, with and without altitudes, in either order.
TEST(GeoBox, ALegUnitesAsTheBoxOfItsTwoPoints) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int32_t> latitude(-1'000'000'000, 1'000'000'000);
    std::uniform_int_distribution<int32_t> step(-40'000'000, 40'000'000);
    std::uniform_int_distribution<int> altitudeKind(0, 3);
    const auto altitude = [&]() -> glo::Optional_t<double> {
        return altitudeKind(random) == 0 ? glo::Optional_t<double>()
                                         : glo::Optional_t<double>(step(random) / 1e4);
    };
    for (const int32_t start : {0, kTop - 100'000'000, kBottom + 5, 900'000'000}) {
        Box_t byLegs;
        Box_t byBoxes;
        Position_t previous(latitude(random), start, altitude());
        for (int i = 0; i < 5000; ++i) {
            const auto east =
                static_cast<uint32_t>(previous.longitude()) + static_cast<uint32_t>(step(random));
            const Position_t next(latitude(random), static_cast<int32_t>(east), altitude());
            byLegs.uniteLeg(previous, next);
            byBoxes.unite(Box_t(previous, next));
            ASSERT_EQ(byLegs, byBoxes) << start << " " << i;
            ASSERT_EQ(Box_t().uniteLeg(next, previous), Box_t(next, previous)) << start << " " << i;
            previous = next;
        }
    }
}
