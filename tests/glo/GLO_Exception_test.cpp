#include "glo/GLO_Exception.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(GloException, AssertCarriesSourceLineAndAnEmptyMessage) {
    const glo::Assert_t failure("GLO_Time.cpp", 27);
    EXPECT_STREQ(failure.what(), "");
    EXPECT_STREQ(failure.source(), "GLO_Time.cpp");
    EXPECT_EQ(failure.line(), 27);
}

TEST(GloException, CopiesKeepTheSourcePointerLineAndMessage) {
    static const char source[] = "GLO_Locale.cpp";
    const glo::LocaleDoesNotExist_t original(source, 58, ".1250");
    const glo::LocaleDoesNotExist_t copy = original;
    EXPECT_EQ(copy.source(), source);
    EXPECT_EQ(copy.line(), 58);
    EXPECT_STREQ(copy.what(), ".1250");
}

TEST(GloException, CheckRaisesOnlyWhenTheConditionIsFalse) {
    EXPECT_NO_THROW(glo::check(true, "x.cpp", 1));
    EXPECT_RAISES(glo::check(false, "x.cpp", 9), glo::Assert_t, "x.cpp", 9);
}

TEST(GloException, EveryFailureIsCaughtAsTheBaseClass) {
    try {
        throw glo::OutOfRange_t("GEO_Position.cpp", 63);
    } catch (const glo::Exception_t& e) {
        EXPECT_EQ(e.line(), 63);
        return;
    }
    FAIL();
}
