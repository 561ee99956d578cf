#include "host/map/TrackDrawing.h"

#include "host/map/SvgOutput.h"
#include "host/text/Utf8Text.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {
// Points closer than this to the last one drawn add nothing a screen can show.
constexpr double kThinning = 0.6;
// A track smaller than this on its map is drawn as a ring.
constexpr double kSmallestVisible = 4;
} // namespace

void drawTrack(std::ostream& out, const PlotTrack_t& track, const TrackStyle_t& style, const Frame_t& frame) {
    const double width = (track.extent.east - track.extent.west) * frame.cosLatitude() * frame.scale();
    const double height = (track.extent.north - track.extent.south) * frame.scale();
    const auto& first = track.points.front();
    const auto& last = track.points.back();
    out << "<g class=\"track\"><title>" << xmlEscape(track.name) << "</title>";
    if (std::max(width, height) < kSmallestVisible) {
        out << "<circle r=\"5\" fill=\"none\" stroke-width=\"2\" stroke=\"" << style.colour << "\" cx=\""
            << fixed(frame.x(first.first)) << "\" cy=\"" << fixed(frame.y(first.second)) << "\"/></g>\n";
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
    out << "<polyline fill=\"none\" stroke=\"" << style.colour
        << "\" stroke-width=\"2\" stroke-linejoin=\"round\"";
    if (!style.dashes.empty())
        out << " stroke-dasharray=\"" << style.dashes << "\"";
    out << " points=\"" << points << "\"/>\n";
    out << "<circle r=\"3.5\" fill=\"#fff\" stroke-width=\"1.5\" stroke=\"" << style.colour << "\" cx=\""
        << fixed(frame.x(first.first)) << "\" cy=\"" << fixed(frame.y(first.second)) << "\"/>"
        << "<rect width=\"6\" height=\"6\" fill=\"" << style.colour << "\" x=\""
        << fixed(frame.x(last.first) - 3) << "\" y=\"" << fixed(frame.y(last.second) - 3) << "\"/></g>\n";
}

} // namespace host
