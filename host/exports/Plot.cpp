// The SVG map: tracks that lie together share a map; tracks far apart get an overview with a
// lettered frame per group and one inset map per group below it.
#include "host/exports/Export.h"

#include "host/exports/Palette.h"
#include "host/exports/TrackTable.h"
#include "host/text/JsonWriter.h"
#include "host/text/NaturalOrder.h"
#include "host/text/Utf8Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <numeric>
#include <vector>

namespace host {

namespace {

constexpr double kMapWidth = 800, kMapHeight = 560, kMargin = 30;
constexpr double kInsetWidth = 390, kInsetHeight = 300, kGap = 20;
constexpr double kLegendColumn = 220, kLegendRow = 18, kLegendIndent = 12;
constexpr double kLeastSpan = 0.004; // degrees of latitude, about 450 m
constexpr double kKmPerDegree = 111.31949;
constexpr std::size_t kMostInsets = 12;
// Points closer than this to the last one drawn add nothing a screen can show.
constexpr double kThinning = 0.6;
// A track smaller than this on its map is drawn as a marker.
constexpr double kSmallestVisible = 4;

std::string fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

struct Extent {
    double west = 1e300, east = -1e300, south = 1e300, north = -1e300;
    void add(double x, double y) {
        west = std::min(west, x);
        east = std::max(east, x);
        south = std::min(south, y);
        north = std::max(north, y);
    }
    void add(const Extent& other) {
        add(other.west, other.south);
        add(other.east, other.north);
    }
};

// A track in plain degrees: x eastward from the map's west edge (so a map across the antimeridian
// stays in one piece), y the latitude.
struct PlotTrack {
    std::string name;
    const char* colour;
    std::vector<std::pair<double, double>> points;
    Extent extent;
};

// Equirectangular around the centre latitude of what a map shows, fitted into its frame.
struct Frame {
    double left, top, width, height;
    Extent shown;
    double cosLatitude = 1, scale = 1; // pixels per degree of latitude
    void fit() {
        const double centre = (shown.south + shown.north) / 2;
        cosLatitude = std::max(0.01, std::cos(centre * std::numbers::pi / 180.0));
        // A map shows at least a few hundred metres, so that a speck stays a speck.
        const double spanX = std::max(kLeastSpan, (shown.east - shown.west) * cosLatitude);
        const double spanY = std::max(kLeastSpan, shown.north - shown.south);
        const double usableX = width - 2 * kMargin, usableY = height - 2 * kMargin;
        const double scaleX = usableX / spanX, scaleY = usableY / spanY;
        scale = std::min(scaleX, scaleY);
        // Centre what is shown in the frame.
        const double middleX = (shown.west + shown.east) / 2, middleY = (shown.south + shown.north) / 2;
        shown.west = middleX - usableX / 2 / (scale * cosLatitude);
        shown.north = middleY + usableY / 2 / scale;
    }
    double x(double degreesEast) const {
        return left + kMargin + (degreesEast - shown.west) * cosLatitude * scale;
    }
    double y(double latitude) const { return top + kMargin + (shown.north - latitude) * scale; }
};

double niceLength(double metres) {
    const double power = std::pow(10.0, std::floor(std::log10(metres)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= metres)
            return step * power;
    return power;
}

double gapKm(const Extent& a, const Extent& b) {
    const double latitude = (a.south + a.north + b.south + b.north) / 4;
    const double cosine = std::cos(latitude * std::numbers::pi / 180.0);
    const double dx = std::max({0.0, a.west - b.east, b.west - a.east}) * cosine * kKmPerDegree;
    const double dy = std::max({0.0, a.south - b.north, b.south - a.north}) * kKmPerDegree;
    return std::hypot(dx, dy);
}

double sizeKm(const Extent& e) {
    const double cosine = std::cos((e.south + e.north) / 2 * std::numbers::pi / 180.0);
    return std::hypot((e.east - e.west) * cosine, e.north - e.south) * kKmPerDegree;
}

// Tracks whose gap is small beside their size (or under 5 km) lie together.
std::vector<std::vector<std::size_t>> groups(const std::vector<PlotTrack>& tracks) {
    std::vector<std::size_t> parent(tracks.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](std::size_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    for (std::size_t i = 0; i < tracks.size(); ++i)
        for (std::size_t j = i + 1; j < tracks.size(); ++j) {
            const double reach =
                std::max(5.0, 0.5 * std::max(sizeKm(tracks[i].extent), sizeKm(tracks[j].extent)));
            if (root(i) != root(j) && gapKm(tracks[i].extent, tracks[j].extent) <= reach)
                parent[root(i)] = root(j);
        }
    std::vector<std::vector<std::size_t>> result;
    std::vector<std::size_t> slot(tracks.size(), SIZE_MAX);
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        std::size_t& s = slot[root(i)];
        if (s == SIZE_MAX) {
            s = result.size();
            result.emplace_back();
        }
        result[s].push_back(i);
    }
    // The group with most points first.
    auto points = [&](const std::vector<std::size_t>& group) {
        std::size_t n = 0;
        for (const std::size_t i : group)
            n += tracks[i].points.size();
        return n;
    };
    std::stable_sort(result.begin(), result.end(),
                     [&](const auto& a, const auto& b) { return points(a) > points(b); });
    return result;
}

void drawTrack(std::ostream& out, const PlotTrack& track, const Frame& frame) {
    const double width = (track.extent.east - track.extent.west) * frame.cosLatitude * frame.scale;
    const double height = (track.extent.north - track.extent.south) * frame.scale;
    const auto& first = track.points.front();
    const auto& last = track.points.back();
    if (std::max(width, height) < kSmallestVisible) {
        out << "<circle r=\"5\" fill=\"none\" stroke-width=\"2\" stroke=\"" << track.colour << "\" cx=\""
            << fixed(frame.x(first.first)) << "\" cy=\"" << fixed(frame.y(first.second)) << "\"/>\n";
        return;
    }
    std::string points;
    double lastX = 0, lastY = 0;
    bool any = false;
    for (std::size_t i = 0; i < track.points.size(); ++i) {
        const double x = frame.x(track.points[i].first), y = frame.y(track.points[i].second);
        if (any && i + 1 < track.points.size() && std::hypot(x - lastX, y - lastY) < kThinning)
            continue;
        points += fixed(x) + "," + fixed(y) + " ";
        lastX = x;
        lastY = y;
        any = true;
    }
    out << "<polyline fill=\"none\" stroke=\"" << track.colour << "\" stroke-width=\"2\" points=\"" << points
        << "\"/>\n";
    // Start: an open circle; end: a filled square.
    out << "<circle r=\"3.5\" fill=\"#fff\" stroke-width=\"1.5\" stroke=\"" << track.colour << "\" cx=\""
        << fixed(frame.x(first.first)) << "\" cy=\"" << fixed(frame.y(first.second)) << "\"/>"
        << "<rect width=\"6\" height=\"6\" fill=\"" << track.colour << "\" x=\""
        << fixed(frame.x(last.first) - 3) << "\" y=\"" << fixed(frame.y(last.second) - 3) << "\"/>\n";
}

void drawScaleBar(std::ostream& out, const Frame& frame) {
    const double metresPerPixel = kKmPerDegree * 1000 / frame.scale;
    const double length = niceLength(metresPerPixel * (frame.width - 2 * kMargin) / 5);
    const double pixels = length / metresPerPixel;
    const double x = frame.left + kMargin, y = frame.top + frame.height - kMargin / 2;
    out << "<path d=\"M" << fixed(x) << " " << fixed(y) << " h" << fixed(pixels)
        << "\" stroke=\"#000\" stroke-width=\"3\"/>\n"
        << "<text x=\"" << fixed(x + pixels + 8) << "\" y=\"" << fixed(y + 4) << "\">"
        << (length >= 1000 ? numberText(length / 1000) + " km" : numberText(length) + " m") << "</text>\n";
}

void drawMap(std::ostream& out, const std::vector<PlotTrack>& tracks, const std::vector<std::size_t>& shown,
             Frame& frame, int id) {
    for (const std::size_t i : shown)
        frame.shown.add(tracks[i].extent);
    frame.fit();
    out << "<clipPath id=\"map" << id << "\"><rect x=\"" << fixed(frame.left) << "\" y=\"" << fixed(frame.top)
        << "\" width=\"" << fixed(frame.width) << "\" height=\"" << fixed(frame.height) << "\"/></clipPath>\n"
        << "<rect x=\"" << fixed(frame.left) << "\" y=\"" << fixed(frame.top) << "\" width=\""
        << fixed(frame.width) << "\" height=\"" << fixed(frame.height)
        << "\" fill=\"none\" stroke=\"#ccc\"/>\n"
        << "<g clip-path=\"url(#map" << id << ")\">\n";
    for (const std::size_t i : shown)
        drawTrack(out, tracks[i], frame);
    out << "</g>\n";
    drawScaleBar(out, frame);
}

std::vector<PlotTrack> plotTracks(const nav::Database_t& database, uint32_t codePage) {
    geo::Box_t box;
    for (const auto& [id, track] : database.tracks())
        box.unite(track.summary().box);
    std::vector<PlotTrack> tracks;
    if (box.empty())
        return tracks;
    const int32_t west = box.west();
    for (const auto& [id, track] : database.tracks()) {
        PlotTrack plotted{toUtf8(id.str(), codePage), paletteColour(track.color()), {}, {}};
        track.forEachPoint([&](const nav::TrackPoint_t& p) {
            const double x = static_cast<double>(geo::longitudeDelta(p.position.longitude(), west)) *
                             (180.0 / 2147483648.0);
            const double y = degrees(p.position.latitude());
            plotted.points.emplace_back(x, y);
            plotted.extent.add(x, y);
        });
        if (!plotted.points.empty())
            tracks.push_back(std::move(plotted));
    }
    return tracks;
}

} // namespace

void writeSvg(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    const std::vector<PlotTrack> tracks = plotTracks(database, codePage);
    const std::vector<std::vector<std::size_t>> together = groups(tracks);
    const std::size_t insets = together.size() > 1 ? std::min(together.size(), kMostInsets) : 0;
    const double mapsHeight =
        kMapHeight + (insets ? std::ceil(static_cast<double>(insets) / 2) * (kInsetHeight + kGap) + kGap : 0);
    const std::size_t rows = static_cast<std::size_t>((mapsHeight - kMargin) / kLegendRow);
    const std::size_t columns = std::max<std::size_t>(1, (tracks.size() + rows - 1) / rows);
    const double width = kMapWidth + kLegendColumn * static_cast<double>(columns);

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
        << fixed(width) << "\" height=\"" << fixed(mapsHeight) << "\" viewBox=\"0 0 " << fixed(width) << " "
        << fixed(mapsHeight) << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#fbfaf5\"/>\n";
    if (tracks.empty()) {
        out << "<text x=\"" << kMargin << "\" y=\"" << kMargin << "\">No tracks</text>\n</svg>\n";
        return;
    }

    std::vector<std::size_t> all(tracks.size());
    std::iota(all.begin(), all.end(), 0);
    Frame overview{0, 0, kMapWidth, kMapHeight, {}};
    drawMap(out, tracks, all, overview, 0);
    for (std::size_t g = 0; g < insets; ++g) {
        // The group's frame on the overview, lettered like its inset.
        Extent extent;
        for (const std::size_t i : together[g])
            extent.add(tracks[i].extent);
        const std::string letter(1, static_cast<char>('A' + g));
        const double x = overview.x(extent.west) - 6, y = overview.y(extent.north) - 6;
        out << "<rect fill=\"none\" stroke=\"#555\" stroke-dasharray=\"4 3\" x=\"" << fixed(x) << "\" y=\""
            << fixed(y) << "\" width=\"" << fixed(overview.x(extent.east) - x + 6) << "\" height=\""
            << fixed(overview.y(extent.south) - y + 6) << "\"/><text font-weight=\"bold\" x=\"" << fixed(x)
            << "\" y=\"" << fixed(y - 4) << "\">" << letter << "</text>\n";
        Frame inset{kGap / 2 + static_cast<double>(g % 2) * (kInsetWidth + kGap),
                    kMapHeight + kGap + static_cast<double>(g / 2) * (kInsetHeight + kGap),
                    kInsetWidth,
                    kInsetHeight,
                    {}};
        drawMap(out, tracks, together[g], inset, static_cast<int>(g + 1));
        out << "<text font-weight=\"bold\" x=\"" << fixed(inset.left + 8) << "\" y=\""
            << fixed(inset.top + 18) << "\">" << letter << "</text>\n";
    }

    std::vector<std::size_t> order = all;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return naturalLess(tracks[a].name, tracks[b].name);
    });
    for (std::size_t k = 0; k < order.size(); ++k) {
        const PlotTrack& track = tracks[order[k]];
        const double x = kMapWidth + kLegendIndent + kLegendColumn * static_cast<double>(k / rows);
        const double y = kMargin + kLegendRow * static_cast<double>(k % rows);
        const std::string name = fitCharacters(track.name, 26);
        out << "<rect x=\"" << fixed(x) << "\" y=\"" << fixed(y - 10)
            << "\" width=\"18\" height=\"4\" fill=\"" << track.colour << "\"/><text x=\"" << fixed(x + 26)
            << "\" y=\"" << fixed(y - 4) << "\">" << xmlEscape(name) << "</text>\n";
    }
    out << "</svg>\n";
}

} // namespace host
