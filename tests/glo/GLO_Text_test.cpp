#include "glo/GLO_CodePage.h"
#include "glo/GLO_Locale.h"
#include "glo/GLO_MBString.h"
#include "glo/GLO_NoCase.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::locale& cp1252() {
    return glo::localeFor({"", "", 1252});
}
const std::locale& cp932() {
    return glo::localeFor({"", "", 932});
}

bool less(const std::string& a, const std::string& b, const std::locale& locale) {
    return glo::noCaseLess(a, b, locale);
}

} // namespace

TEST(GloMBString, CountsCharactersUpToTheFirstZeroByte) {
    const glo::CodePage_t& page932 = *glo::CodePage_t::find(932);
    EXPECT_EQ(glo::characterCount(""), 0u);
    EXPECT_EQ(glo::characterCount("abc"), 3u);
    EXPECT_EQ(glo::characterCount(std::string("ab\0cd", 5)), 2u);
    // One lead/trail pair and one single byte.
    EXPECT_EQ(glo::characterCount("\x82\xA0x", page932), 2u);
    // In 1252 the same bytes are three characters.
    EXPECT_EQ(glo::characterCount("\x82\xA0x", *glo::CodePage_t::find(1252)), 3u);
}

TEST(GloMBString, ALoneLeadByteAtTheEndIsInvalid) {
    const glo::CodePage_t& page932 = *glo::CodePage_t::find(932);
    EXPECT_RAISES(glo::characterCount("ab\x82", page932), glo::InvalidMBCharacter_t, "GLO_MBString.cpp", 122);
    EXPECT_RAISES(glo::characterCount("\x82\x01", page932), glo::InvalidMBCharacter_t, "GLO_MBString.cpp",
                  122);
}

TEST(GloNoCase, LetterCaseDoesNotOrder) {
    EXPECT_FALSE(less("track", "TRACK", cp1252()));
    EXPECT_FALSE(less("TRACK", "track", cp1252()));
    EXPECT_TRUE(less("Track", "Track 2", cp1252()));
    EXPECT_FALSE(less("Track 2", "Track", cp1252()));
    EXPECT_TRUE(less("abc", "ABD", cp1252()));
}

TEST(GloNoCase, HighBytesOrderBeforeAsciiBecauseTheyCompareSigned) {
    EXPECT_TRUE(less("\xC9tape", "Arles", cp1252()));
    EXPECT_FALSE(less("Arles", "\xC9tape", cp1252()));
}

TEST(GloNoCase, WindowsAccentedLettersUpperCaseIn1252) {
    // "café" and "CAFÉ" are one name; so are the letters outside the Latin-1 block.
    EXPECT_FALSE(less("caf\xE9", "CAF\xC9", cp1252()));
    EXPECT_FALSE(less("CAF\xC9", "caf\xE9", cp1252()));
    EXPECT_FALSE(less("\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", cp1252()));
    // The division sign is no letter: it stays 0xF7 and orders after 0xD7.
    EXPECT_TRUE(less("\xD7", "\xF7", cp1252()));
}

TEST(GloNoCase, DoubleBytePairsCompareByCodeValueWithoutCase) {
    // 0x82A0 < 0x82A2; a pair and a single byte compare by value (0x82A0 > 'a').
    EXPECT_TRUE(less("\x82\xA0", "\x82\xA2", cp932()));
    EXPECT_TRUE(less("a", "\x82\xA0", cp932()));
    EXPECT_FALSE(less("\x82\xA0", "a", cp932()));
    // Single bytes still fold case, and pairs compare unsigned although their bytes are high.
    EXPECT_FALSE(less("\x82\xA0x", "\x82\xA0X", cp932()));
    // In 1252 the same bytes are single characters that compare signed: 0x82 < 'a'.
    EXPECT_TRUE(less("\x82\xA0", "a", cp1252()));
}

TEST(GloNoCase, InvalidTextRaisesWhenCounted) {
    EXPECT_RAISES(less("a\x82", "b", cp932()), glo::InvalidMBCharacter_t, "GLO_MBString.cpp", 122);
    EXPECT_RAISES(less("a", "b\x82", cp932()), glo::InvalidMBCharacter_t, "GLO_MBString.cpp", 122);
}

TEST(GloLocale, NamesFollowTheWindowsForm) {
    EXPECT_EQ(glo::localeName({"English", "United States", 1252}), "English_United States.1252");
    EXPECT_EQ(glo::localeName({"English", "", 1252}), "English");
    EXPECT_EQ(glo::localeName({"", "anything", 1252}), ".1252");
}

TEST(GloLocale, DescriptionsOrderByCodePageFirst) {
    EXPECT_TRUE((glo::LocaleDescription_t{"Z", "", 932} < glo::LocaleDescription_t{"A", "", 1252}));
    EXPECT_TRUE((glo::LocaleDescription_t{"A", "", 1252} < glo::LocaleDescription_t{"B", "", 1252}));
    EXPECT_TRUE((glo::LocaleDescription_t{"A", "X", 1252} < glo::LocaleDescription_t{"A", "Y", 1252}));
}

TEST(GloLocale, IsBuiltOnceAndCached) {
    const std::locale& first = glo::localeFor({"English", "United States", 1252});
    const std::locale& second = glo::localeFor({"English", "United States", 1252});
    EXPECT_EQ(&first, &second);
}

TEST(GloLocale, AnUnknownCodePageRaisesEachTimeWithTheName) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            glo::localeFor({"Klingon", "Empire", 99999});
            ADD_FAILURE();
        } catch (const glo::LocaleDoesNotExist_t& e) {
            EXPECT_STREQ(e.what(), "Klingon_Empire.99999");
            EXPECT_STREQ(e.source(), "GLO_Locale.cpp");
            EXPECT_EQ(e.line(), 58);
        }
    }
}
