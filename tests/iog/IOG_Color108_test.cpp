#include "iog/IOG_Color108.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using iog::Color108_t;

TEST(IogColor108, PaletteCodesMapToDatabaseColours) {
    EXPECT_EQ(iog::toNavColor(static_cast<Color108_t::Color_t>(0)), nav::Color1);
    EXPECT_EQ(iog::toNavColor(static_cast<Color108_t::Color_t>(3)), nav::Color4);
    EXPECT_EQ(iog::toNavColor(static_cast<Color108_t::Color_t>(15)), nav::Color16);
    EXPECT_EQ(iog::toNavColor(Color108_t::ActiveLog), nav::DefaultColor);
    EXPECT_EQ(iog::colorTable().size(), 17u);
}

TEST(IogColor108, CodesOutsideTheTableRaise) {
    for (int code : {16, 100, 254, -1})
        EXPECT_RAISES(iog::toNavColor(static_cast<Color108_t::Color_t>(code)), glo::OutOfRange_t,
                      "IOG_Color108.cpp", 62);
}
