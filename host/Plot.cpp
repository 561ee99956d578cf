#include "Export.h"

#include "TrackTable.h"
#include "Utf8Text.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace host {

namespace {

// Our palette for database colours 0 (default) to 16.
constexpr const char* kPalette[17] = {"#d62728", "#000000", "#8b0000", "#006400", "#808000", "#00008b",
                                      "#8b008b", "#008b8b", "#7f7f7f", "#404040", "#ff0000", "#00c000",
                                      "#e0c000", "#0000ff", "#ff00ff", "#00b0d0", "#c0c0c0"};

constexpr double kWidth = 800, kHeight = 560, kMargin = 30, kLegend = 220;
constexpr double kMetresPerDegree = 111319.49;

std::string fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// A projection of the common box: equirectangular around its centre latitude, longitudes taken
// eastward from the box's west edge so that a box across the antimeridian stays in one piece.
struct Projection {
    int32_t west = 0;
    int32_t north = 0;
    double cosLatitude = 1;
    double scale = 1; // pixels per semicircle
    double x(int32_t longitude) const {
        return kMargin + scale * cosLatitude * static_cast<double>(geo::longitudeDelta(longitude, west));
    }
    double y(int32_t latitude) const { return kMargin + scale * (static_cast<double>(north) - latitude); }
};

double niceLength(double metres) {
    const double power = std::pow(10.0, std::floor(std::log10(metres)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= metres)
            return step * power;
    return power;
}

} // namespace

void writeSvg(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    geo::Box_t box;
    for (const auto& [id, track] : database.tracks())
        box.unite(track.summary().box);

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
        << kWidth + kLegend << "\" height=\"" << kHeight << "\" viewBox=\"0 0 " << kWidth + kLegend << " "
        << kHeight << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#fbfaf5\"/>\n";
    if (box.empty()) {
        out << "<text x=\"" << kMargin << "\" y=\"" << kMargin << "\">No tracks</text>\n</svg>\n";
        return;
    }
    Projection projection;
    projection.west = box.west();
    projection.north = box.north();
    const double centre = degrees(box.south()) + (degrees(box.north()) - degrees(box.south())) / 2;
    projection.cosLatitude = std::cos(centre * std::numbers::pi / 180.0);
    const double spanX = projection.cosLatitude * static_cast<double>(box.longitudeSpan());
    const double spanY = static_cast<double>(box.north()) - box.south();
    const double usableX = kWidth - 2 * kMargin, usableY = kHeight - 2 * kMargin;
    projection.scale = std::min(spanX > 0 ? usableX / spanX : 1e9, spanY > 0 ? usableY / spanY : 1e9);
    if (projection.scale >= 1e9)
        projection.scale = 1e-4;

    int row = 0;
    for (const auto& [id, track] : database.tracks()) {
        const char* colour = kPalette[track.color() >= 0 && track.color() <= 16 ? track.color() : 0];
        std::string points;
        track.forEachPoint([&](const nav::TrackPoint_t& p) {
            points += fixed(projection.x(p.position.longitude())) + "," +
                      fixed(projection.y(p.position.latitude())) + " ";
        });
        if (track.summary().pointCount == 1)
            out << "<circle r=\"3\" fill=\"" << colour << "\" cx=\"" << points.substr(0, points.find(','))
                << "\" cy=\"" << points.substr(points.find(',') + 1) << "\"/>\n";
        else if (!points.empty())
            out << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"2\" points=\""
                << points << "\"/>\n";
        const double y = kMargin + 20.0 * row++;
        out << "<rect x=\"" << kWidth << "\" y=\"" << y - 10 << "\" width=\"18\" height=\"4\" fill=\""
            << colour << "\"/><text x=\"" << kWidth + 26 << "\" y=\"" << y - 4 << "\">"
            << xmlEscape(toUtf8(id.str(), codePage)) << "</text>\n";
    }

    // Scale bar: a round length near a fifth of the map's width.
    const double metresPerPixel =
        (kMetresPerDegree * (180.0 / 2147483648.0)) / projection.scale; // along the centre latitude
    const double length = niceLength(metresPerPixel * usableX / 5);
    const double pixels = length / metresPerPixel;
    const double y = kHeight - kMargin / 2;
    out << "<path d=\"M" << kMargin << " " << y << " h" << fixed(pixels)
        << "\" stroke=\"#000\" stroke-width=\"3\"/>\n"
        << "<text x=\"" << kMargin + pixels + 8 << "\" y=\"" << y + 4 << "\">"
        << (length >= 1000 ? shortestText(length / 1000) + " km" : shortestText(length) + " m") << "</text>\n"
        << "</svg>\n";
}

} // namespace host
