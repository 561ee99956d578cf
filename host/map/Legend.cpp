#include "host/map/Legend.h"

#include "host/map/SvgOutput.h"
#include "host/map/TextFit.h"
#include "host/text/Utf8Text.h"

#include <algorithm>

namespace host {

namespace {
constexpr double kFontSize = 13, kSwatch = 30, kInsetColumn = 18, kPadding = 10;
} // namespace

void drawLegend(std::ostream& out, const std::vector<LegendEntry_t>& entries, double left, double top,
                std::size_t rows) {
    const bool insets =
        std::any_of(entries.begin(), entries.end(), [](const auto& e) { return !e.inset.empty(); });
    const bool without =
        std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e.inset == kNoInset; });
    out << "<g class=\"legend\">\n<text font-weight=\"bold\" x=\"" << fixed(left) << "\" y=\""
        << fixed(top - 8) << "\">Tracks";
    if (insets)
        out << "<tspan class=\"legend-key\" dx=\"6\" font-weight=\"normal\" font-size=\"11\" fill=\"#555\">"
            << (without ? std::string("(letter: its inset; ") + kNoInset + ": none, plot it with --track)"
                        : std::string("(letter: its inset)"))
            << "</tspan>";
    out << "</text>\n";
    const double nameOffset = kSwatch + 8 + (insets ? kInsetColumn : 0);
    const double room = kLegendColumn - nameOffset - kPadding;
    rows = std::max<std::size_t>(rows, 1);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const LegendEntry_t& entry = entries[k];
        const double x = left + kLegendColumn * static_cast<double>(k / rows);
        const double y = top + 10 + kLegendRow * static_cast<double>(k % rows);
        const std::string name = fitWidth(entry.name, room, kFontSize);
        out << "<g class=\"legend-entry\">";
        if (name != entry.name)
            out << "<title>" << xmlEscape(entry.name) << "</title>";
        out << "<line class=\"legend-line\" x1=\"" << fixed(x) << "\" y1=\"" << fixed(y - 4) << "\" x2=\""
            << fixed(x + kSwatch) << "\" y2=\"" << fixed(y - 4) << "\" stroke=\"" << entry.style.colour
            << "\" stroke-width=\"2.5\"";
        if (!entry.style.dashes.empty())
            out << " stroke-dasharray=\"" << entry.style.dashes << "\"";
        out << "/>";
        if (!entry.inset.empty())
            out << "<text class=\"legend-inset\" font-weight=\"bold\" font-size=\"11\" fill=\"#444\" x=\""
                << fixed(x + kSwatch + 6) << "\" y=\"" << fixed(y) << "\">" << entry.inset << "</text>";
        out << "<text class=\"legend-name\" x=\"" << fixed(x + nameOffset) << "\" y=\"" << fixed(y) << "\">"
            << xmlEscape(name) << "</text></g>\n";
    }
    out << "</g>\n";
}

} // namespace host
