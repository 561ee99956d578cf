#include "host/map/Graticule.h"

#include "host/map/SvgOutput.h"
#include "host/map/TextFit.h"

#include <array>
#include <cmath>

namespace host {

namespace {

constexpr std::array<int64_t, 20> kSteps = {1,     2,     5,     10,     15,     30,    60,
                                            120,   300,   600,   900,    1800,   3600,  7200,
                                            18000, 36000, 54000, 108000, 162000, 324000};
constexpr int64_t kFullCircle = 360 * 3600, kHalfCircle = 180 * 3600;
constexpr double kFontSize = 11;
// Lines between each label and the edge it stands on, and room left for the other edge's labels.
constexpr double kLatitudeSpacing = 60, kLongitudeSpacing = 80, kLabelStrip = 18, kTopStrip = 34,
                 kLeftStrip = 70;

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::string twoDigits(int64_t value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

int64_t graticuleStep(double pixelsPerDegree, double leastPixels) {
    for (const int64_t step : kSteps)
        if (static_cast<double>(step) / 3600.0 * pixelsPerDegree >= leastPixels)
            return step;
    return kSteps.back();
}

std::string angleText(int64_t arcSeconds, int64_t step, bool latitude) {
    if (!latitude) {
        arcSeconds = floorDiv(arcSeconds + kHalfCircle, kFullCircle) * -kFullCircle + arcSeconds;
        if (arcSeconds == -kHalfCircle)
            arcSeconds = kHalfCircle;
    }
    const int64_t magnitude = arcSeconds < 0 ? -arcSeconds : arcSeconds;
    std::string text = std::to_string(magnitude / 3600) + "\xC2\xB0";
    if (step % 3600 != 0)
        text += twoDigits(magnitude / 60 % 60) + "\xE2\x80\xB2";
    if (step % 60 != 0)
        text += twoDigits(magnitude % 60) + "\xE2\x80\xB3";
    if (arcSeconds != 0 && (latitude || magnitude != kHalfCircle))
        text += latitude ? (arcSeconds > 0 ? "N" : "S") : (arcSeconds > 0 ? "E" : "W");
    return text;
}

std::vector<GraticuleLine_t> graticuleLines(const Frame_t& frame, double westLongitude) {
    const Extent_t covered = frame.covered();
    const int64_t latitudeStep = graticuleStep(frame.scale(), kLatitudeSpacing);
    const int64_t longitudeStep = graticuleStep(frame.scale() * frame.cosLatitude(), kLongitudeSpacing);
    const auto seconds = [](double degrees) { return static_cast<int64_t>(std::floor(degrees * 3600)); };
    std::vector<GraticuleLine_t> lines;
    const int64_t south = std::max<int64_t>(seconds(covered.south), -90 * 3600);
    const int64_t north = std::min<int64_t>(seconds(covered.north), 90 * 3600);
    for (int64_t k = floorDiv(south, latitudeStep) + 1; k * latitudeStep <= north; ++k) {
        const double y = frame.y(static_cast<double>(k * latitudeStep) / 3600.0);
        lines.push_back({true, y, angleText(k * latitudeStep, latitudeStep, true),
                         y > frame.top() + kTopStrip && y < frame.bottom() - kTopStrip});
    }
    const int64_t west = seconds(westLongitude + covered.west), east = seconds(westLongitude + covered.east);
    for (int64_t k = floorDiv(west, longitudeStep) + 1; k * longitudeStep <= east; ++k) {
        const double x = frame.x(static_cast<double>(k * longitudeStep) / 3600.0 - westLongitude);
        lines.push_back({false, x, angleText(k * longitudeStep, longitudeStep, false),
                         x > frame.left() + kLeftStrip && x < frame.right() - kLabelStrip * 2});
    }
    return lines;
}

PageBox_t labelBox(const Frame_t& frame, const GraticuleLine_t& line) {
    const double width = textWidth(line.label, kFontSize);
    if (line.latitude)
        return {frame.left() + 4, line.at - kFontSize / 2 - 1, width, kFontSize + 2};
    return {line.at - width / 2, frame.top() + 14 - kFontSize, width, kFontSize + 3};
}

void clearLabels(std::vector<GraticuleLine_t>& lines, const Frame_t& frame,
                 const std::vector<PageBox_t>& busy) {
    for (GraticuleLine_t& line : lines)
        if (line.labelled)
            for (const PageBox_t& box : busy)
                if (intersects(labelBox(frame, line), box))
                    line.labelled = false;
}

void drawGraticuleLines(std::ostream& out, const Frame_t& frame, const std::vector<GraticuleLine_t>& lines) {
    std::string path;
    for (const GraticuleLine_t& line : lines)
        path += line.latitude ? "M" + fixed(frame.left()) + " " + fixed(line.at) + "H" + fixed(frame.right())
                              : "M" + fixed(line.at) + " " + fixed(frame.top()) + "V" + fixed(frame.bottom());
    out << "<path class=\"graticule\" fill=\"none\" stroke=\"#c9d3da\" stroke-width=\"0.8\" d=\"" << path
        << "\"/>\n";
}

void drawGraticuleLabels(std::ostream& out, const Frame_t& frame, const std::vector<GraticuleLine_t>& lines) {
    out << "<g font-size=\"" << kFontSize << "\" fill=\"#4f6170\" " << kHalo << ">\n";
    for (const GraticuleLine_t& line : lines) {
        if (!line.labelled)
            continue;
        if (line.latitude)
            out << "<text class=\"graticule-label latitude\" x=\"" << fixed(frame.left() + 4) << "\" y=\""
                << fixed(line.at) << "\" dy=\"0.35em\">" << line.label << "</text>\n";
        else
            out << "<text class=\"graticule-label longitude\" text-anchor=\"middle\" x=\"" << fixed(line.at)
                << "\" y=\"" << fixed(frame.top() + 14) << "\">" << line.label << "</text>\n";
    }
    out << "</g>\n";
}

} // namespace host
