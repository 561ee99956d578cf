// The host's text pieces: JSON as bytes, numbers, names in columns and in natural order, the
// closest word for a typo.
#include "host/arguments/UsageCheck.h"
#include "host/text/JsonWriter.h"
#include "host/text/NaturalOrder.h"
#include "host/text/TerminalText.h"
#include "host/text/Utf8Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

TEST(HostJsonWriter, WritesCommasEscapesAndLinesItself) {
    host::JsonWriter json;
    json.beginObject(true).key("name").string("a\"b\\c\n\x01").key("list").beginArray();
    json.integer(-3).number(0.1).number(-0.0).null().endArray().key("empty").beginObject().endObject();
    json.endObject();
    EXPECT_EQ(json.text(), "{\n \"name\": \"a\\\"b\\\\c\\n\\u0001\",\n \"list\": [-3, 0.1, -0.0, null],\n"
                           " \"empty\": {}\n}");
}

TEST(HostJsonWriter, NumbersReadBackExactlyAndNonFiniteOnesAreNeverWritten) {
    for (const double value : {412.5, 1e-45, 5e-324, std::numeric_limits<double>::max(), -1.1754942e-38,
                               static_cast<double>(std::numeric_limits<float>::max())}) {
        const std::string text = host::numberText(value);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, value) << text;
    }
    host::JsonWriter json;
    json.beginArray().number(std::nan("")).number(INFINITY).number(-INFINITY).endArray();
    EXPECT_EQ(json.text(), "[null, null, null]");
}

TEST(HostNaturalOrder, NumbersInNamesCompareAsNumbers) {
    std::vector<std::string> names = {"Walk 10", "Walk 2", "Walk 1",  "Walk 02b",
                                      "Walk",    "Lake 9", "Walk 1a", "Walk 007"};
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return host::naturalLess(a, b); });
    EXPECT_EQ(names, (std::vector<std::string>{"Lake 9", "Walk", "Walk 1", "Walk 1a", "Walk 2", "Walk 02b",
                                               "Walk 007", "Walk 10"}));
    EXPECT_FALSE(host::naturalLess("Walk 1", "Walk 1"));
    EXPECT_TRUE(host::naturalLess("a99999999999999999999998", "a99999999999999999999999")); // no overflow
}

TEST(HostUtf8Columns, CutAndPadByCharactersNotBytes) {
    EXPECT_EQ(host::characterCount("Caf\xc3\xa9 \xe6\x9d\xb1"), 6u);
    EXPECT_EQ(host::fitCharacters("\xe6\x9d\xb1\xe4\xba\xac\xe6\x9d\xb1\xe4\xba\xac", 3),
              "\xe6\x9d\xb1\xe4\xba\xac\xe2\x80\xa6");
    EXPECT_EQ(host::padCharacters("Caf\xc3\xa9", 6), "Caf\xc3\xa9  ");
    EXPECT_EQ(host::characterCount(host::padCharacters(std::string(40, 'x'), 23)), 23u);
}

TEST(HostTerminalText, WidthsCountCellsNotCharacters) {
    EXPECT_EQ(host::displayWidth("Walk"), 4u);
    EXPECT_EQ(host::displayWidth("\xE6\x9D\xB1\xE4\xBA\xAC"), 4u); // 東京: two wide characters
    EXPECT_EQ(host::displayWidth("e\xCC\x81"), 1u);                // e and a combining accent
    EXPECT_EQ(host::displayWidth("\xFF"), 1u);                     // a stray byte shows as one
    EXPECT_EQ(host::oneLine("a\tb\nc\x7F\xFF"), "a b c \xEF\xBF\xBD");
    // Cut with an ellipsis, never through a wide character.
    EXPECT_EQ(host::fitWidth("\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x82\xBF", 4), "\xE6\x9D\xB1\xE2\x80\xA6");
    EXPECT_EQ(host::padWidth("\xE6\x9D\xB1", 4), "\xE6\x9D\xB1  ");
    EXPECT_EQ(host::padWidth("42", 4, false), "  42");
    EXPECT_EQ(host::fitWidth("abc", 0), "");
}

TEST(HostUsageCheck, TyposFindTheirWordAndNonsenseFindsNone) {
    const std::vector<std::string> commands = {"hotsync", "users", "configure", "info", "demo", "dump"};
    EXPECT_EQ(cli::closest("hotsnyc", commands), "hotsync"); // a swap counts once
    EXPECT_EQ(cli::closest("dmup", commands), "dump");
    EXPECT_EQ(cli::closest("configur", commands), "configure");
    EXPECT_EQ(cli::closest("xylophone", commands), std::nullopt);
    EXPECT_EQ(cli::editDistance("", "abc"), 3u);
}
