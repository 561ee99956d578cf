// The map's pieces that need no drawing: graticule steps and labels, the scale bar's length, names
// cut to a width, line styles, letter placement, the projection, and shoreline data sets (found,
// chosen by scale, read, and refused when they lie about their own sizes).
#include "host/map/CoastlineData.h"
#include "host/map/Coastlines.h"
#include "host/map/Graticule.h"
#include "host/map/LabelPlacement.h"
#include "host/map/Projection.h"
#include "host/map/ScaleBar.h"
#include "host/map/TextFit.h"
#include "host/map/TrackStyle.h"

#include <gtest/gtest.h>

#ifdef PATHLET_TEST_NETCDF
#include <netcdf.h>
#endif

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int64_t kAllSteps[] = {1,   2,    5,    10,   15,    30,    60,    120,    300,    600,
                                 900, 1800, 3600, 7200, 18000, 36000, 54000, 108000, 162000, 324000};

// Bytes that start a UTF-8 character (not continuation bytes).
bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

const std::string kEllipsis = "\xE2\x80\xA6";

// A folder of this process's own, so that test programs run side by side never share one; gone
// when the test ends, whether it passed or not.
class FreshFolder_t {
public:
    explicit FreshFolder_t(const std::string& name)
        : m_path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~FreshFolder_t() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    FreshFolder_t(const FreshFolder_t&) = delete;
    FreshFolder_t& operator=(const FreshFolder_t&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST(HostMapGraticule, TheStepIsTheFinestWhoseLinesLieFarEnoughApart) {
    for (double pixelsPerDegree = 0.05; pixelsPerDegree < 2e6; pixelsPerDegree *= 1.37) {
        const int64_t step = host::graticuleStep(pixelsPerDegree, 60);
        const auto pixels = [&](int64_t s) { return static_cast<double>(s) / 3600.0 * pixelsPerDegree; };
        ASSERT_NE(std::find(std::begin(kAllSteps), std::end(kAllSteps), step), std::end(kAllSteps)) << step;
        if (step != kAllSteps[std::size(kAllSteps) - 1]) {
            EXPECT_GE(pixels(step), 60) << pixelsPerDegree;
        }
        for (const int64_t finer : kAllSteps) {
            if (finer < step) {
                EXPECT_LT(pixels(finer), 60) << pixelsPerDegree << " " << finer;
            }
        }
    }
    // A map too small for a whole turn's lines keeps the widest step.
    EXPECT_EQ(host::graticuleStep(0.01, 60), 90 * 3600);
}

TEST(HostMapGraticule, LabelsSayDegreesMinutesAndSecondsAsTheStepNeeds) {
    const int64_t degree = 3600, minute = 60;
    EXPECT_EQ(host::angleText(46 * degree, degree, true), "46°N");
    EXPECT_EQ(host::angleText(-(46 * degree + 30 * minute), 30 * minute, true), "46°30′S");
    EXPECT_EQ(host::angleText(7 * degree + 5 * minute + 30, 30, false), "7°05′30″E");
    EXPECT_EQ(host::angleText(-(7 * degree + 5 * minute), minute, false), "7°05′W");
    EXPECT_EQ(host::angleText(0, degree, true), "0°");
    EXPECT_EQ(host::angleText(0, minute, false), "0°00′");
    // Longitudes past the antimeridian are wrapped; the antimeridian itself is neither east nor west.
    EXPECT_EQ(host::angleText(180 * degree, degree, false), "180°");
    EXPECT_EQ(host::angleText(-180 * degree, degree, false), "180°");
    EXPECT_EQ(host::angleText(190 * degree, degree, false), "170°W");
    EXPECT_EQ(host::angleText(-190 * degree, 10 * minute, false), "170°00′E");
    EXPECT_EQ(host::angleText(540 * degree + 15, 15, false), "179°59′45″W");
}

TEST(HostMapScaleBar, LengthsAreOneTwoOrFiveTimesAPowerOfTen) {
    for (double metres = 0.3; metres < 5e7; metres *= 1.13) {
        const double length = host::niceLength(metres);
        const double mantissa = length / std::pow(10.0, std::floor(std::log10(length) + 1e-9));
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                    std::abs(mantissa - 5) < 1e-9)
            << length;
        EXPECT_LE(length, metres * (1 + 1e-12));
        EXPECT_GT(length * 2.5, metres);
    }
}

TEST(HostMapTextFit, ANameThatFitsIsKeptWhole) {
    const std::string name = "Lake loop";
    EXPECT_EQ(host::fitWidth(name, host::textWidth(name, 13), 13), name);
    EXPECT_EQ(host::fitWidth("", 0, 13), "");
}

TEST(HostMapTextFit, ALongNameIsCutBetweenCharactersAndEndsInAnEllipsis) {
    const std::vector<std::string> names = {"A walk around the whole lake and back over the ridge",
                                            "Mt Fuji 東京から富士山までの長い長い散歩道です本当に",
                                            "Très très longue randonnée au-dessus du lac Léman",
                                            "Ελληνικά ονόματα που είναι πολύ μακριά",
                                            "🏔️🏔️🏔️🏔️🏔️🏔️🏔️🏔️🏔️"
                                            "🏔️🏔️🏔️🏔️🏔️🏔️",
                                            "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴ"};
    for (const std::string& name : names)
        for (double room = 20; room < 200; room += 7) {
            const std::string cut = host::fitWidth(name, room, 13);
            if (host::textWidth(name, 13) <= room) {
                EXPECT_EQ(cut, name);
                continue;
            }
            ASSERT_GE(cut.size(), kEllipsis.size());
            EXPECT_EQ(cut.substr(cut.size() - kEllipsis.size()), kEllipsis) << cut;
            const std::string kept = cut.substr(0, cut.size() - kEllipsis.size());
            EXPECT_EQ(name.compare(0, kept.size(), kept), 0) << cut;
            ASSERT_LT(kept.size(), name.size());
            EXPECT_TRUE(startsCharacter(name[kept.size()])) << "cut inside a character: " << cut;
            EXPECT_LE(host::textWidth(cut, 13), room + 1e-9) << cut;
        }
}

TEST(HostMapTextFit, WideCharactersTakeMoreRoomAndMarksStayWithTheirLetter) {
    EXPECT_GT(host::textWidth("東京", 13), host::textWidth("ab", 13));
    // "e" and a combining acute accent: cut after the pair or before it, never between.
    const std::string marked = "cafe\xCC\x81 cafe\xCC\x81 cafe\xCC\x81 cafe\xCC\x81";
    for (double room = 10; room < 120; room += 1) {
        const std::string cut = host::fitWidth(marked, room, 13);
        const std::string kept = cut.substr(0, cut.size() - kEllipsis.size());
        if (cut != marked) {
            EXPECT_NE(kept.back(), 'e') << cut;
        }
    }
}

TEST(HostMapTextFit, MalformedTextIsCutBeforeTheFirstStrayByte) {
    const std::string name = "Walk \xFF\xFE and more and more and more";
    EXPECT_EQ(host::fitWidth(name, 60, 13), "Walk " + kEllipsis);
}

TEST(HostMapTrackStyle, EveryTrackHasAStyleOfItsOwnHoweverMany) {
    std::set<std::string> patterns;
    for (std::size_t n = 0; n < 20000; ++n)
        EXPECT_TRUE(patterns.insert(host::dashPattern(n)).second) << n;
    EXPECT_EQ(host::dashPattern(0), "");

    for (const std::size_t colours : {1u, 3u, 16u}) {
        std::vector<std::string> given;
        for (std::size_t i = 0; i < 2000; ++i)
            given.push_back("#" + std::to_string(i % colours));
        const std::vector<host::TrackStyle_t> styles = host::assignStyles(given);
        ASSERT_EQ(styles.size(), given.size());
        std::set<std::pair<std::string, std::string>> seen;
        for (std::size_t i = 0; i < styles.size(); ++i) {
            EXPECT_EQ(styles[i].colour, given[i]) << "a track keeps its colour";
            EXPECT_TRUE(seen.insert({styles[i].colour, styles[i].dashes}).second) << i;
            // The first track of each colour is drawn solid.
            EXPECT_EQ(styles[i].dashes.empty(), i < colours) << i;
        }
    }
}

TEST(HostMapTrackStyle, ColoursTooNearToTellApartTakeTurnsWithThePatternsToo) {
    // The handheld's default red and its bright red; its dark and light cyan read apart.
    const auto styles = host::assignStyles({"#d62728", "#ff0000", "#008b8b", "#00b0d0", "#FF0000"});
    EXPECT_EQ(styles[0].dashes, "");
    EXPECT_EQ(styles[1].dashes, host::dashPattern(1));
    EXPECT_EQ(styles[2].dashes, "");
    EXPECT_EQ(styles[3].dashes, "");
    EXPECT_EQ(styles[4].dashes, host::dashPattern(2)) << "upper-case hex digits read the same";
    EXPECT_EQ(styles[1].colour, "#ff0000") << "colours are kept as they are";
}

TEST(HostMapLabels, LettersNeverOverlapEvenForTargetsOnTopOfEachOther) {
    const host::PageBox_t bounds{2, 2, 796, 556};
    const std::vector<host::PageBox_t> obstacles = {{0, 0, 800, 20}, {0, 520, 260, 40}};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> across(0, 790), down(0, 550), size(0, 40);
    for (int round = 0; round < 40; ++round) {
        std::vector<host::PageBox_t> targets;
        const std::size_t count = 1 + static_cast<std::size_t>(round % 12);
        for (std::size_t i = 0; i < count; ++i) {
            // Half the rounds crowd every target into one spot, as groups a few km apart are on a
            // continent's map; the rest scatter them.
            if (round % 2 == 0)
                targets.push_back({400 + static_cast<double>(i % 3), 300, 12, 12});
            else
                targets.push_back({across(random), down(random), size(random), size(random)});
        }
        const std::vector<host::PageBox_t> labels = host::placeLabels(targets, 18, 18, bounds, obstacles);
        ASSERT_EQ(labels.size(), targets.size());
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_GE(labels[i].x, bounds.x);
            EXPECT_GE(labels[i].y, bounds.y);
            EXPECT_LE(labels[i].right(), bounds.right());
            EXPECT_LE(labels[i].bottom(), bounds.bottom());
            for (std::size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(host::intersects(labels[i], labels[j])) << round << ": " << i << " and " << j;
        }
    }
}

TEST(HostMapLabels, ALoneTargetIsLabelledRightBesideIt) {
    const host::PageBox_t target{300, 300, 20, 10};
    const auto labels = host::placeLabels({target}, 18, 18, {0, 0, 800, 560}, {});
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_FALSE(host::intersects(labels[0], target));
    EXPECT_LE(std::abs(labels[0].x - target.x), 22);
    EXPECT_LE(std::abs(labels[0].y - target.y), 22);
}

TEST(HostMapProjection, WhatIsShownIsCentredAndKeepsItsShape) {
    host::Frame_t frame(10, 20, 800, 560);
    host::Extent_t shown;
    shown.add(7.0, 46.0);
    shown.add(7.2, 46.1);
    frame.fit(shown, 0.004);
    EXPECT_NEAR((frame.x(7.0) + frame.x(7.2)) / 2, 10 + 400, 1e-6);
    EXPECT_NEAR((frame.y(46.0) + frame.y(46.1)) / 2, 20 + 280, 1e-6);
    // A kilometre east is as long on the page as a kilometre north.
    const double cosine = std::cos(46.05 * 3.141592653589793 / 180);
    EXPECT_NEAR((frame.x(7.0 + 0.01 / cosine) - frame.x(7.0)), frame.y(46.0) - frame.y(46.01), 1e-3);
    const host::Extent_t covered = frame.covered();
    EXPECT_NEAR(frame.x(covered.west), 10, 1e-6);
    EXPECT_NEAR(frame.x(covered.east), 810, 1e-6);
    EXPECT_NEAR(frame.y(covered.north), 20, 1e-6);
    EXPECT_NEAR(frame.y(covered.south), 580, 1e-6);
}

TEST(HostMapCoastlines, TheDataSetIsChosenByScaleAndAMissingOneIsNone) {
    const FreshFolder_t fresh("pathlet-coastlines");
    const std::filesystem::path& folder = fresh.path();
    for (const char* letter : {"c", "l", "i"})
        std::ofstream(folder / (std::string("binned_GSHHS_") + letter + ".nc")) << "x";
    const auto file = [&](const char* letter) {
        return (folder / (std::string("binned_GSHHS_") + letter + ".nc")).string();
    };
    const double kmPerDegree = host::kKmPerDegree;
    EXPECT_EQ(host::coastlineFile(folder.string(), 100 / kmPerDegree), file("c")); // a continent
    EXPECT_EQ(host::coastlineFile(folder.string(), 2 / kmPerDegree), file("l"));   // a country
    EXPECT_EQ(host::coastlineFile(folder.string(), 0.4 / kmPerDegree), file("i")); // a region
    // Finer than the finest data set there is: still the intermediate one while it strays under ten
    // pixels, then nothing at all.
    EXPECT_EQ(host::coastlineFile(folder.string(), 0.15 / kmPerDegree), file("i"));
    EXPECT_EQ(host::coastlineFile(folder.string(), 0.05 / kmPerDegree), "");
    // A named file is used as it is; one named like a crude data set not for a town's map.
    EXPECT_EQ(host::coastlineFile(file("l"), 1 / kmPerDegree), file("l"));
    EXPECT_EQ(host::coastlineFile(file("c"), 0.5 / kmPerDegree), "");
    std::ofstream(folder / "shore.nc") << "x";
    EXPECT_EQ(host::coastlineFile((folder / "shore.nc").string(), 0.001), (folder / "shore.nc").string());
    // Nothing there, or not installed: no shorelines, and no fuss.
    EXPECT_EQ(host::coastlineFile((folder / "missing.nc").string(), 1), "");
    EXPECT_EQ(host::coastlineFile((folder / "missing").string() + "/", 1), "");
    EXPECT_TRUE(
        host::readCoastlines((folder / "missing.nc").string(), 0, host::Extent_t{0, 10, 0, 10}).empty());
    EXPECT_TRUE(host::readCoastlines(file("c"), 0, host::Extent_t{0, 10, 0, 10}).empty()) << "not netCDF";
}

TEST(HostMapCoastlines, TheInstalledDataSetHasTheStraitOfGibraltarAndNoShoreMidAtlantic) {
    const std::string file = std::string(host::kCoastlineFolder) + "/binned_GSHHS_l.nc";
    if (!host::coastlineReaderBuilt() || !std::filesystem::exists(file))
        GTEST_SKIP() << "built without netCDF, or gmt-gshhg-low is not installed";
    // Map x from 10°W: the strait lies at about 5.5°W, 36°N, between Spain and Morocco.
    const auto strait = host::readCoastlines(file, -10, host::Extent_t{4.0, 5.0, 35.7, 36.3});
    ASSERT_FALSE(strait.empty());
    bool north = false, south = false;
    for (const host::CoastLine_t& line : strait)
        for (const auto& [x, y] : line.points) {
            EXPECT_TRUE(x >= 0 && x <= 20 && y >= 30 && y <= 40)
                << "within the bins around the strait: " << x << " " << y;
            if (x >= 4 && x <= 5 && y > 36.05 && y < 36.3)
                north = true;
            if (x >= 4 && x <= 5 && y > 35.7 && y < 35.95)
                south = true;
        }
    EXPECT_TRUE(north && south) << "both shores of the strait";
    EXPECT_TRUE(host::readCoastlines(file, -40, host::Extent_t{0, 1, 30, 31}).empty());
    // Across the antimeridian: Fiji's Taveuni, from 179°E.
    const auto fiji = host::readCoastlines(file, 179, host::Extent_t{0.7, 1.2, -17.1, -16.6});
    EXPECT_FALSE(fiji.empty());
}

#ifdef PATHLET_TEST_NETCDF
namespace {

// A data set of two bins of 180° a side, the first with one segment of `segmentInfo` (points, level)
// from point `firstPoint` of three.
void writeDataSet(const std::string& file, int firstPoint, int segmentInfo) {
    int id = 0;
    ASSERT_EQ(nc_create(file.c_str(), NC_CLOBBER, &id), NC_NOERR);
    int scalar = 0, bins = 0, segments = 0, points = 0;
    nc_def_dim(id, "Dimension_of_scalar", 1, &scalar);
    nc_def_dim(id, "Dimension_of_bin_arrays", 2, &bins);
    nc_def_dim(id, "Dimension_of_segment_arrays", 1, &segments);
    nc_def_dim(id, "Dimension_of_point_arrays", 3, &points);
    int v[9];
    nc_def_var(id, "Bin_size_in_minutes", NC_INT, 1, &scalar, &v[0]);
    nc_def_var(id, "N_bins_in_360_longitude_range", NC_INT, 1, &scalar, &v[1]);
    nc_def_var(id, "N_bins_in_180_degree_latitude_range", NC_INT, 1, &scalar, &v[2]);
    nc_def_var(id, "Id_of_first_segment_in_a_bin", NC_INT, 1, &bins, &v[3]);
    nc_def_var(id, "N_segments_in_a_bin", NC_SHORT, 1, &bins, &v[4]);
    nc_def_var(id, "Embedded_npts_levels_exit_entry_for_a_segment", NC_INT, 1, &segments, &v[5]);
    nc_def_var(id, "Id_of_first_point_in_a_segment", NC_INT, 1, &segments, &v[6]);
    nc_def_var(id, "Relative_longitude_from_SW_corner_of_bin", NC_SHORT, 1, &points, &v[7]);
    nc_def_var(id, "Relative_latitude_from_SW_corner_of_bin", NC_SHORT, 1, &points, &v[8]);
    nc_enddef(id);
    const int size = 180 * 60, across = 2, down = 1, firstSegment[2] = {0, 1};
    const short segmentCounts[2] = {1, 0}, dx[3] = {0, 16384, -32768}, dy[3] = {0, 16384, -1};
    nc_put_var_int(id, v[0], &size);
    nc_put_var_int(id, v[1], &across);
    nc_put_var_int(id, v[2], &down);
    nc_put_var_int(id, v[3], firstSegment);
    nc_put_var_short(id, v[4], segmentCounts);
    nc_put_var_int(id, v[5], &segmentInfo);
    nc_put_var_int(id, v[6], &firstPoint);
    nc_put_var_short(id, v[7], dx);
    nc_put_var_short(id, v[8], dy);
    ASSERT_EQ(nc_close(id), NC_NOERR);
}

} // namespace

TEST(HostMapCoastlines, PointsAreStepsFromTheBinsCornerAndIndicesPastTheEndAreRefused) {
    const FreshFolder_t fresh("pathlet-coastline-data");
    const std::filesystem::path& folder = fresh.path();
    const std::string file = (folder / "shore.nc").string();
    const host::Extent_t world{-1, 359, -90, 90};
    // Three points, level 1: the bin from 0°E, 90°S, 180° a side.
    writeDataSet(file, 0, (3 << 9) | (1 << 6));
    auto lines = host::readCoastlines(file, 0, world);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, 1);
    ASSERT_EQ(lines[0].points.size(), 3u);
    const double step = 180.0 / 65535;
    EXPECT_NEAR(lines[0].points[0].first, 0, 1e-9);
    EXPECT_NEAR(lines[0].points[0].second, -90, 1e-9);
    EXPECT_NEAR(lines[0].points[1].first, 16384 * step, 1e-9);
    EXPECT_NEAR(lines[0].points[1].second, -90 + 16384 * step, 1e-9);
    EXPECT_NEAR(lines[0].points[2].first, 32768 * step, 1e-9);
    EXPECT_NEAR(lines[0].points[2].second, 90, 1e-9); // 65535 steps: the bin's north edge
    for (const auto& [first, info] : std::vector<std::pair<int, int>>{{1, (3 << 9) | (1 << 6)},
                                                                      {0, (4 << 9) | (1 << 6)},
                                                                      {-1, (2 << 9)},
                                                                      {0x7FFFFFFF, (1 << 9)},
                                                                      {0, static_cast<int>(0xFFFFFE00u)}}) {
        writeDataSet(file, first, info);
        EXPECT_TRUE(host::readCoastlines(file, 0, world).empty()) << first << " " << info;
    }
}
#endif
