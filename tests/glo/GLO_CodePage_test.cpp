// The code page tables come from the C library's converters; these cases hold them to the
// Windows code pages' published facts (lead-byte ranges, the case pairs of each alphabet).
#include "glo/GLO_CodePage.h"
#include "glo/GLO_MBString.h"
#include "glo/GLO_NoCase.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const glo::CodePage_t& page(uint32_t number) {
    const glo::CodePage_t* found = glo::CodePage_t::find(number);
    if (!found)
        throw std::runtime_error("no converter for code page " + std::to_string(number));
    return *found;
}

bool same(const std::string& a, const std::string& b, uint32_t codePage) {
    return !glo::noCaseLess(a, b, page(codePage)) && !glo::noCaseLess(b, a, page(codePage));
}

// The lead bytes as ranges: a lead byte is the one byte that is invalid at the end of a text.
std::string leadRanges(const glo::CodePage_t& codePage) {
    const auto isLead = [&](unsigned b) {
        const char byte = static_cast<char>(b);
        return b < 256 && codePage.charLength(&byte, 1) == -1;
    };
    std::string ranges;
    char text[8];
    for (unsigned b = 0; b < 256; ++b) {
        if (isLead(b) && (b == 0 || !isLead(b - 1))) {
            std::snprintf(text, sizeof text, "%s%02X-", ranges.empty() ? "" : " ", b);
            ranges += text;
        }
        if (isLead(b) && !isLead(b + 1)) {
            std::snprintf(text, sizeof text, "%02X", b);
            ranges += text;
        }
    }
    return ranges;
}

} // namespace

TEST(GloCodePage, EveryWindowsAnsiCodePageIsAvailable) {
    for (const uint32_t number : glo::CodePage_t::ansiCodePages()) {
        const glo::CodePage_t* found = glo::CodePage_t::find(number);
        ASSERT_NE(found, nullptr) << number;
        EXPECT_EQ(found->number(), number);
        EXPECT_EQ(found, glo::CodePage_t::find(number)) << "built once";
        const bool doubleByte = number == 932 || number == 936 || number == 949 || number == 950;
        EXPECT_EQ(found->isDoubleByte(), doubleByte) << number;
        for (char c = 'a'; c <= 'z'; ++c)
            EXPECT_EQ(found->toUpper(c), c - 'a' + 'A') << number;
    }
    EXPECT_EQ(glo::CodePage_t::find(65001), nullptr);
    EXPECT_EQ(glo::CodePage_t::find(99999), nullptr);
}

TEST(GloCodePage, LeadBytesAreTheSystemsOwn) {
    EXPECT_EQ(leadRanges(page(932)), "81-9F E0-FC");
    EXPECT_EQ(leadRanges(page(936)), "81-FE");
    EXPECT_EQ(leadRanges(page(1252)), "");
    // A lead byte followed by a byte that makes no character with it is invalid.
    EXPECT_EQ(page(932).charLength("\x82\x01", 2), -1);
    EXPECT_EQ(page(932).charLength("\x82\xA0", 2), 2);
    EXPECT_EQ(page(932).charLength("\xA0", 1), 1); // half-width katakana are single bytes
}

TEST(GloCodePage, The1252CasePairsAreWindowsOwn) {
    const glo::CodePage_t& cp1252 = page(1252);
    for (unsigned b = 0; b < 256; ++b) {
        unsigned expected = b;
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
            expected = b - 0x20;
        else if (b == 0x9A || b == 0x9C || b == 0x9E)
            expected = b - 0x10;
        else if (b == 0xFF)
            expected = 0x9F;
        EXPECT_EQ(static_cast<unsigned char>(cp1252.toUpper(static_cast<char>(b))), expected)
            << std::hex << b;
    }
}

TEST(GloCodePage, NamesFoldCaseInEveryAlphabet) {
    EXPECT_TRUE(same("\xEF\xF0\xE8\xE2\xE5\xF2 \xB8", "\xCF\xD0\xC8\xC2\xC5\xD2 \xA8", 1251)); // привет ё
    EXPECT_TRUE(same("\xB3\xF3\x9F\xB9\x9C", "\xA3\xD3\x8F\xA5\x8C", 1250));                   // łóźąś
    EXPECT_TRUE(same("\xF3\xDC\xE1\xF2", "\xD3\xA2\xC1\xD3", 1253)); // σάας: final sigma too
    EXPECT_TRUE(same("i\xF0\xFE", "I\xD0\xDE", 1254));               // iğş
    EXPECT_FALSE(same("\xFD", "I", 1254));                   // as in Windows, the dotless i keeps its case
    EXPECT_TRUE(same("\xE0\xF0\xFE", "\xC0\xD0\xDE", 1257)); // ąšž
    EXPECT_TRUE(same("\xE3\xF0\xF5\xFD", "\xC3\xD0\xD5\xDD", 1258)); // ăđơư
    // Scripts without case stay as they are and still order as signed bytes.
    EXPECT_FALSE(same("\xE0", "\xE1", 1255));
    EXPECT_TRUE(glo::noCaseLess("\xA1", "a", page(874)));
    // The same bytes are other letters in another code page: 0xB3 is no letter in 1251.
    EXPECT_FALSE(same("\xB3", "\xA3", 1251));
}

TEST(GloCodePage, DoubleBytePairsCountAsOneCharacter) {
    EXPECT_EQ(glo::characterCount("\xB0\xA1x", page(936)), 2u);  // 啊
    EXPECT_EQ(glo::characterCount("\xB0\xA1x", page(949)), 2u);  // 가
    EXPECT_EQ(glo::characterCount("\xA4\x40x", page(950)), 2u);  // 一
    EXPECT_EQ(glo::characterCount("\xB0\xA1x", page(1251)), 3u); // single bytes there
}

TEST(GloCodePage, TheCurrentCodePageCanBeSwitchedAndRestored) {
    const uint32_t before = glo::CodePage_t::current().number();
    EXPECT_FALSE(glo::CodePage_t::setCurrent(12345));
    EXPECT_EQ(glo::CodePage_t::current().number(), before);
    ASSERT_TRUE(glo::CodePage_t::setCurrent(1251));
    EXPECT_EQ(glo::characterCount("\xEF\xF0"), 2u);
    EXPECT_EQ(glo::CodePage_t::current().toUpper('\xEF'), '\xCF');
    ASSERT_TRUE(glo::CodePage_t::setCurrent(before));
}
