// The pieces of the exports: lines cut at the antimeridian, the shortest text of a number, the
// format an output name asks for.
#include "host/exports/Antimeridian.h"
#include "host/exports/DecimalText.h"
#include "host/exports/ExportFormat.h"
#include "host/text/ShortestNumber.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWest = INT32_MIN; // -180 degrees, the antimeridian
constexpr int32_t kStep = 1 << 20;   // about 0.088 degrees

double degreesOf(int64_t semicircles) {
    return static_cast<double>(semicircles) * (180.0 / 2147483648.0);
}

struct Line {
    std::vector<geo::Position_t> positions;
    std::vector<host::LinePart_t> cut(bool withElevations = false) const {
        std::vector<const geo::Position_t*> pointers;
        for (const geo::Position_t& p : positions)
            pointers.push_back(&p);
        return host::cutAtAntimeridian(pointers, withElevations);
    }
};

void expectPoint(const host::LinePoint_t& point, double longitude, double latitude) {
    EXPECT_EQ(point.longitude, longitude);
    EXPECT_EQ(point.latitude, latitude);
}

} // namespace

TEST(ExportAntimeridian, ALineThatDoesNotCrossKeepsThePointsOwnNumbers) {
    const Line line{
        {geo::Position_t(12345, 1000001), geo::Position_t(-54321, -7), geo::Position_t(0, kWest + 5)}};
    // The last leg goes west from just east of Greenwich to just east of -180: no crossing.
    const auto parts = line.cut();
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        expectPoint(parts[0][i], degreesOf(line.positions[i].longitude()),
                    degreesOf(line.positions[i].latitude()));
}

TEST(ExportAntimeridian, ALegEastwardAcrossIsCutAtTheInterpolatedLatitude) {
    const Line line{
        {geo::Position_t(0, INT32_MAX - kStep + 1, 100.0), geo::Position_t(1 << 24, kWest + kStep, 300.0)}};
    const auto parts = line.cut(true);
    ASSERT_EQ(parts.size(), 2u);
    ASSERT_EQ(parts[0].size(), 2u);
    ASSERT_EQ(parts[1].size(), 2u);
    expectPoint(parts[0][0], degreesOf(INT32_MAX - kStep + 1), 0.0);
    expectPoint(parts[0][1], 180.0, degreesOf(1 << 23));
    expectPoint(parts[1][0], -180.0, degreesOf(1 << 23));
    expectPoint(parts[1][1], degreesOf(kWest + kStep), degreesOf(1 << 24));
    EXPECT_EQ(parts[0][1].elevation, 200.0);
    EXPECT_EQ(parts[1][0].elevation, 200.0);
}

TEST(ExportAntimeridian, ALegWestwardAcrossIsCutTheOtherWay) {
    const Line line{{geo::Position_t(1 << 24, kWest + kStep), geo::Position_t(0, INT32_MAX - kStep + 1)}};
    const auto parts = line.cut();
    ASSERT_EQ(parts.size(), 2u);
    expectPoint(parts[0][1], -180.0, degreesOf(1 << 23));
    expectPoint(parts[1][0], 180.0, degreesOf(1 << 23));
    expectPoint(parts[1][1], degreesOf(INT32_MAX - kStep + 1), 0.0);
}

TEST(ExportAntimeridian, ThereAndBackAgainMakesThreeParts) {
    const Line line{{geo::Position_t(0, INT32_MAX - kStep), geo::Position_t(0, kWest + kStep),
                     geo::Position_t(0, INT32_MAX - kStep)}};
    const auto parts = line.cut();
    ASSERT_EQ(parts.size(), 3u);
    // The middle part runs from the antimeridian to the point east of it and back.
    EXPECT_EQ(parts[0].size(), 2u);
    EXPECT_EQ(parts[1].size(), 3u);
    EXPECT_EQ(parts[2].size(), 2u);
    for (const host::LinePart_t& part : parts)
        for (const host::LinePoint_t& point : part)
            EXPECT_LE(std::fabs(point.longitude), 180.0);
    EXPECT_EQ(parts[1].front().longitude, -180.0);
    EXPECT_EQ(parts[1].back().longitude, -180.0);
}

TEST(ExportAntimeridian, APointOnTheAntimeridianBelongsToTheSideItIsReachedFrom) {
    // East to the antimeridian itself, then on east: the point ends the first part at 180 and
    // starts the second at -180, with nothing added in between.
    const Line line{{geo::Position_t(0, INT32_MAX - kStep + 1), geo::Position_t(7, kWest),
                     geo::Position_t(9, kWest + kStep)}};
    const auto parts = line.cut();
    ASSERT_EQ(parts.size(), 2u);
    ASSERT_EQ(parts[0].size(), 2u);
    ASSERT_EQ(parts[1].size(), 2u);
    expectPoint(parts[0][1], 180.0, degreesOf(7));
    expectPoint(parts[1][0], -180.0, degreesOf(7));
    // A line that starts on it and goes west is one part starting at 180.
    const auto west = Line{{geo::Position_t(3, kWest), geo::Position_t(5, INT32_MAX - kStep)}}.cut();
    ASSERT_EQ(west.size(), 1u);
    expectPoint(west[0][0], 180.0, degreesOf(3));
    // One that starts on it and goes east stays at -180.
    const auto east = Line{{geo::Position_t(3, kWest), geo::Position_t(5, kWest + kStep)}}.cut();
    ASSERT_EQ(east.size(), 1u);
    expectPoint(east[0][0], -180.0, degreesOf(3));
}

TEST(ExportAntimeridian, OnePointIsOnePartAndNoneIsNone) {
    const auto one = Line{{geo::Position_t(1, 2)}}.cut();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].size(), 1u);
    EXPECT_TRUE(Line{}.cut().empty());
}

namespace {

template <class Number> Number readBack(const std::string& text) {
    Number value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
    return value;
}

} // namespace

TEST(ExportNumbers, AFloatsValueIsWrittenAsTheFloat) {
    const float everest = 8848.86f;
    EXPECT_EQ(host::shortestText(static_cast<double>(everest)), "8848.86");
    EXPECT_EQ(host::shortestText(static_cast<double>(everest), true), "8848.86");
    EXPECT_EQ(*host::elevationText(static_cast<double>(everest)), "8848.86");
    for (const float value :
         {0.1f, -3.25f, 1e-45f, 1.1754942e-38f, std::numeric_limits<float>::max(), 100000.0f}) {
        EXPECT_EQ(readBack<float>(host::shortestText(value)), value);
        EXPECT_EQ(readBack<float>(host::shortestText(value, true)), value);
    }
    // The shorter of the plain and the exponent form; plain when `fixed`.
    EXPECT_EQ(host::shortestText(1000.0), "1000");
    EXPECT_EQ(host::shortestText(100000.0, true), "100000");
    EXPECT_EQ(host::shortestText(-0.0), "-0.0");
}

TEST(ExportNumbers, AnyOtherDoubleIsWrittenAsTheDouble) {
    for (const double value : {8848.86, 0.1, 1e300, 5e-324, degreesOf(INT32_MAX)}) {
        EXPECT_EQ(readBack<double>(host::shortestText(value)), value);
        EXPECT_EQ(readBack<double>(host::shortestText(value, true)), value);
    }
    EXPECT_EQ(host::shortestText(8848.86), "8848.86");
}

TEST(ExportNumbers, CoordinatesReadBackAsTheSameDoubleAndElevationsNeedADecimal) {
    for (const int64_t semicircles :
         {int64_t{1}, int64_t{-1}, int64_t{INT32_MAX}, int64_t{kWest}, int64_t{3} << 20})
        EXPECT_EQ(readBack<double>(host::coordinateText(degreesOf(semicircles))), degreesOf(semicircles));
    EXPECT_EQ(host::coordinateText(degreesOf(1)).find('e'), std::string::npos);
    EXPECT_FALSE(host::elevationText(std::nan("")));
    EXPECT_FALSE(host::elevationText(1e24));
    EXPECT_FALSE(host::elevationText(-std::numeric_limits<double>::infinity()));
    EXPECT_EQ(*host::elevationText(1e-45f), "0");
}

TEST(ExportFormats, NamesAndFileNamesInAnyLetterCase) {
    using host::ExportFormat_t;
    EXPECT_EQ(host::exportFormatNamed("GPX"), ExportFormat_t::Gpx);
    EXPECT_EQ(host::exportFormatNamed("GeoJson"), ExportFormat_t::GeoJson);
    EXPECT_EQ(host::exportFormatNamed("kml"), ExportFormat_t::Kml);
    EXPECT_EQ(host::exportFormatNamed("Csv"), ExportFormat_t::Csv);
    EXPECT_FALSE(host::exportFormatNamed("json"));
    EXPECT_FALSE(host::exportFormatNamed("gpxx"));
    EXPECT_EQ(host::exportFormatOfFile("out/x.GeoJSON"), ExportFormat_t::GeoJson);
    EXPECT_EQ(host::exportFormatOfFile("x.json"), ExportFormat_t::GeoJson);
    EXPECT_EQ(host::exportFormatOfFile("x.tar.KML"), ExportFormat_t::Kml);
    EXPECT_EQ(host::exportFormatOfFile("/tmp/a b.csv"), ExportFormat_t::Csv);
    EXPECT_EQ(host::exportFormatOfFile("X.GPX"), ExportFormat_t::Gpx);
    EXPECT_FALSE(host::exportFormatOfFile("x.txt"));
    EXPECT_FALSE(host::exportFormatOfFile("tracks"));
    EXPECT_FALSE(host::exportFormatOfFile("dir.kml/tracks"));
    EXPECT_FALSE(host::exportFormatOfFile(".csv"));
    EXPECT_FALSE(host::exportFormatOfFile("-"));
}
