#include "glo/GLO_AutoPtr.h"
#include "glo/GLO_Optional.h"
#include "glo/GLO_SmartPtr.h"
#include "glo/GLO_TwoWayLookupTable.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(GloOptional, ReadingAnAbsentValueIsAnAssertion) {
    glo::Optional_t<double> value;
    EXPECT_FALSE(value.present());
    EXPECT_RAISES(value.get(), glo::Assert_t, "GLO_Optional.h", 103);
    value.set(2.5);
    EXPECT_DOUBLE_EQ(value.get(), 2.5);
}

TEST(GloOptional, AbsentOrdersBeforeAnyPresentValue) {
    const glo::Optional_t<double> absent;
    const glo::Optional_t<double> low(-1e300);
    const glo::Optional_t<double> high(3.0);
    EXPECT_TRUE(absent < low);
    EXPECT_FALSE(low < absent);
    EXPECT_TRUE(low < high);
    EXPECT_FALSE(absent == low);
}

TEST(GloOptional, StaysInlineSoThatATrackPointIsSmall) {
    EXPECT_LE(sizeof(glo::Optional_t<double>), 16u);
}

namespace {
struct Shape {
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> clone() const = 0;
    virtual int sides() const = 0;
};
struct Square : Shape {
    std::unique_ptr<Shape> clone() const override { return std::make_unique<Square>(*this); }
    int sides() const override { return 4; }
};
} // namespace

TEST(GloAutoPtr, CopiesAreIndependentClones) {
    glo::AutoPtr_t<Shape> a(std::make_unique<Square>());
    glo::AutoPtr_t<Shape> b(a);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(b.required().sides(), 4);
}

TEST(GloAutoPtr, CopyingAMissingObjectIsAnAssertion) {
    const glo::AutoPtr_t<Shape> empty;
    EXPECT_RAISES(glo::AutoPtr_t<Shape>{empty}, glo::Assert_t, "GLO_AutoPtr.h", 133);
}

namespace {
struct Counted : glo::RefCounter_t {
    explicit Counted(int* destroyed) : destroyed(destroyed) {}
    ~Counted() override { ++*destroyed; }
    int* destroyed;
};
} // namespace

TEST(GloSmartPtr, TheObjectGoesWithItsLastOwner) {
    int destroyed = 0;
    {
        glo::SmartPtr_t<Counted> first(new Counted(&destroyed));
        {
            glo::SmartPtr_t<Counted> second = first;
            EXPECT_EQ(first->count(), 2);
        }
        EXPECT_EQ(destroyed, 0);
        EXPECT_EQ(first->count(), 1);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(GloTwoWayLookupTable, ADuplicateInEitherColumnIsAnAssertion) {
    using Table = glo::TwoWayLookupTable_t<int, int>;
    const std::pair<int, int> sameB[] = {{0, 1}, {2, 1}};
    const std::pair<int, int> sameA[] = {{0, 1}, {0, 2}};
    EXPECT_RAISES(Table(sameB, 2), glo::Assert_t, "GLO_TwoWayLookupTable.h", 211);
    EXPECT_RAISES(Table(sameA, 2), glo::Assert_t, "GLO_TwoWayLookupTable.h", 211);
}

TEST(GloTwoWayLookupTable, FindsInBothDirections) {
    const std::pair<int, int> pairs[] = {{0, 10}, {1, 11}};
    const glo::TwoWayLookupTable_t<int, int> table(pairs, 2);
    EXPECT_EQ(table.findA(1)->second, 11);
    EXPECT_EQ(table.findB(10)->first, 0);
    EXPECT_EQ(table.findA(7), table.end());
}
