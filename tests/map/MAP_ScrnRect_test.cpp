#include "map/MAP_ScrnRect.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(MapScrnRect, MisorderedEdgesAreAssertions) {
    EXPECT_NO_THROW(map::ScrnRect_t(0, 0, 0, 0));
    EXPECT_RAISES(map::ScrnRect_t(2, 0, 1, 0), glo::Assert_t, "MAP_ScrnRect.cpp", 84);
    EXPECT_RAISES(map::ScrnRect_t(0, 2, 1, 1), glo::Assert_t, "MAP_ScrnRect.cpp", 85);
    const map::ScrnRect_t rect(-3, -4, 5, 6);
    EXPECT_EQ(rect.left(), -3.0);
    EXPECT_EQ(rect.bottom(), 6.0);
}
