#include "host/map/ScaleBar.h"

#include "host/map/SvgOutput.h"
#include "host/text/JsonWriter.h"

#include <cmath>

namespace host {

double niceLength(double metres) {
    const double power = std::pow(10.0, std::floor(std::log10(metres)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= metres)
            return step * power;
    return power;
}

void drawScaleBar(std::ostream& out, const Frame_t& frame) {
    const double metresPerPixel = kKmPerDegree * 1000 / frame.scale();
    const double length = niceLength(metresPerPixel * frame.width() / 5);
    const double pixels = length / metresPerPixel;
    const double x = frame.left() + 14, y = frame.bottom() - 22;
    const std::string text = length >= 1000 ? numberText(length / 1000) + " km" : numberText(length) + " m";
    out << "<g class=\"scale-bar\">\n<rect x=\"" << fixed(x - 8) << "\" y=\"" << fixed(y - 8) << "\" width=\""
        << fixed(pixels + 16 + 8 * static_cast<double>(text.size())) << "\" height=\"26\" rx=\"3\" "
        << "fill=\"#fbfaf5\" fill-opacity=\"0.85\"/>\n"
        << "<rect class=\"scale-bar-length\" x=\"" << fixed(x) << "\" y=\"" << fixed(y) << "\" width=\""
        << fixed(pixels) << "\" height=\"5\" fill=\"#fff\" stroke=\"#222\" stroke-width=\"1\"/>"
        << "<rect x=\"" << fixed(x) << "\" y=\"" << fixed(y) << "\" width=\"" << fixed(pixels / 2)
        << "\" height=\"5\" fill=\"#222\"/>\n"
        << "<text font-size=\"11\" x=\"" << fixed(x + pixels + 6) << "\" y=\"" << fixed(y + 6) << "\">"
        << text << "</text>\n</g>\n";
}

} // namespace host
