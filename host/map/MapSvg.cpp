#include "host/map/MapSvg.h"

#include "host/map/Coastlines.h"
#include "host/map/Graticule.h"
#include "host/map/Grouping.h"
#include "host/map/Insets.h"
#include "host/map/Legend.h"
#include "host/map/PlotTrack.h"
#include "host/map/ScaleBar.h"
#include "host/map/SvgOutput.h"
#include "host/map/TrackDrawing.h"
#include "host/map/TrackStyle.h"
#include "host/text/NaturalOrder.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace host {

namespace {

constexpr double kMapWidth = 800, kMapHeight = 560;
constexpr double kInsetWidth = 390, kInsetHeight = 300, kGap = 20;
constexpr double kLegendLeft = kMapWidth + 14, kLegendTop = 40;
constexpr double kLeastSpan = 0.004; // degrees of latitude, about 450 m
constexpr std::size_t kMostInsets = 12;

struct Page_t {
    const std::vector<PlotTrack_t>& tracks;
    const std::vector<TrackStyle_t>& styles;
    double westLongitude;
};

// A map in its frame: the graticule's lines, the shorelines, the tracks and the graticule's labels
// over them (but not over anything `busy`), clipped to the frame; then its outline and scale bar.
void drawMap(std::ostream& out, const Page_t& page, const std::vector<std::size_t>& shown,
             const Frame_t& frame, int id, const std::vector<CoastLine_t>* coastlines,
             const std::vector<PageBox_t>& busy) {
    out << "<clipPath id=\"map" << id << "\"><rect x=\"" << fixed(frame.left()) << "\" y=\""
        << fixed(frame.top()) << "\" width=\"" << fixed(frame.width()) << "\" height=\""
        << fixed(frame.height()) << "\"/></clipPath>\n<g class=\"map\" clip-path=\"url(#map" << id
        << ")\">\n";
    std::vector<GraticuleLine_t> graticule = graticuleLines(frame, page.westLongitude);
    clearLabels(graticule, frame, busy);
    drawGraticuleLines(out, frame, graticule);
    if (coastlines)
        drawCoastlines(out, frame, *coastlines);
    for (const std::size_t i : shown)
        drawTrack(out, page.tracks[i], page.styles[i], frame);
    drawGraticuleLabels(out, frame, graticule);
    out << "</g>\n<rect x=\"" << fixed(frame.left()) << "\" y=\"" << fixed(frame.top()) << "\" width=\""
        << fixed(frame.width()) << "\" height=\"" << fixed(frame.height())
        << "\" fill=\"none\" stroke=\"#aab\"/>\n";
    drawScaleBar(out, frame);
}

Extent_t extentOf(const std::vector<PlotTrack_t>& tracks, const std::vector<std::size_t>& shown) {
    Extent_t extent;
    for (const std::size_t i : shown)
        extent.add(tracks[i].extent);
    return extent;
}

} // namespace

void writeMapSvg(const nav::Database_t& database, uint32_t codePage, const MapSettings_t& settings,
                 std::ostream& out) {
    double westLongitude = 0;
    const std::vector<PlotTrack_t> tracks = plotTracks(database, codePage, settings.tracks, westLongitude);
    const std::vector<std::vector<std::size_t>> groups = groupTracks(tracks);
    const std::size_t insets = groups.size() > 1 ? std::min(groups.size(), kMostInsets) : 0;
    const double height =
        kMapHeight + (insets ? std::ceil(static_cast<double>(insets) / 2) * (kInsetHeight + kGap) + kGap : 0);
    const std::size_t rows = static_cast<std::size_t>((height - kLegendTop - 10) / kLegendRow);
    const std::size_t columns = std::max<std::size_t>(1, (tracks.size() + rows - 1) / rows);
    const double width = kLegendLeft + kLegendColumn * static_cast<double>(columns);

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
        << fixed(width) << "\" height=\"" << fixed(height) << "\" viewBox=\"0 0 " << fixed(width) << " "
        << fixed(height) << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#fbfaf5\"/>\n";
    if (tracks.empty()) {
        out << "<text x=\"30\" y=\"30\">No tracks</text>\n</svg>\n";
        return;
    }

    // Legend order decides the styles, so that a colour's tracks take its patterns top down.
    std::vector<std::size_t> order(tracks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return naturalLess(tracks[a].name, tracks[b].name);
    });
    std::vector<std::string> colours;
    for (const std::size_t i : order)
        colours.push_back(tracks[i].colour);
    const std::vector<TrackStyle_t> ordered = assignStyles(colours);
    std::vector<TrackStyle_t> styles(tracks.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        styles[order[k]] = ordered[k];
    const Page_t page{tracks, styles, westLongitude};

    std::vector<std::size_t> all(tracks.size());
    std::iota(all.begin(), all.end(), 0);
    Frame_t overview(0, 0, kMapWidth, kMapHeight);
    overview.fit(extentOf(tracks, all), kLeastSpan);
    std::vector<CoastLine_t> coastlines;
    if (const std::string file = coastlineFile(settings.coastlines, 1 / overview.scale()); !file.empty())
        coastlines = readCoastlines(file, westLongitude, overview.covered());
    std::vector<PageBox_t> frames;
    if (insets) {
        std::vector<Extent_t> extents;
        for (std::size_t g = 0; g < insets; ++g)
            extents.push_back(extentOf(tracks, groups[g]));
        frames = groupFrames(extents, overview);
    }
    drawMap(out, page, all, overview, 0, &coastlines, frames);

    // Tracks of the groups past the last inset are marked as having none.
    std::vector<std::string> insetOf(tracks.size(), insets > 0 && insets < groups.size() ? kNoInset : "");
    if (insets) {
        drawGroupFrames(out, frames, overview);
        for (std::size_t g = 0; g < insets; ++g) {
            const std::string letter = insetLetter(g);
            for (const std::size_t i : groups[g])
                insetOf[i] = letter;
            Frame_t inset(kGap / 2 + static_cast<double>(g % 2) * (kInsetWidth + kGap),
                          kMapHeight + kGap + static_cast<double>(g / 2) * (kInsetHeight + kGap), kInsetWidth,
                          kInsetHeight);
            inset.fit(extentOf(tracks, groups[g]), kLeastSpan);
            drawMap(out, page, groups[g], inset, static_cast<int>(g + 1), nullptr, {});
            drawLetter(out, "inset-letter", {inset.left() + 6, inset.top() + 6, 22, 22}, letter);
        }
    }

    std::vector<LegendEntry_t> entries;
    for (const std::size_t i : order)
        entries.push_back({tracks[i].name, styles[i], insetOf[i]});
    drawLegend(out, entries, kLegendLeft, kLegendTop, rows);
    out << "</svg>\n";
}

} // namespace host
