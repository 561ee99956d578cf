#include "host/map/Insets.h"

#include "host/map/SvgOutput.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {
constexpr double kLetterBox = 18, kFramePadding = 6;
} // namespace

std::string insetLetter(std::size_t index) {
    return std::string(1, static_cast<char>('A' + index));
}

void drawLetter(std::ostream& out, const char* kind, const PageBox_t& box, const std::string& letter) {
    out << "<g class=\"" << kind << "\"><rect class=\"" << kind << "-box\" x=\"" << fixed(box.x) << "\" y=\""
        << fixed(box.y) << "\" width=\"" << fixed(box.width) << "\" height=\"" << fixed(box.height)
        << "\" rx=\"3\" fill=\"#fff\" stroke=\"#333\"/><text font-weight=\"bold\" text-anchor=\"middle\" x=\""
        << fixed(box.x + box.width / 2) << "\" y=\"" << fixed(box.y + box.height / 2) << "\" dy=\"0.36em\">"
        << letter << "</text></g>\n";
}

std::vector<PageBox_t> groupFrames(const std::vector<Extent_t>& groups, const Frame_t& overview) {
    std::vector<PageBox_t> frames;
    for (const Extent_t& extent : groups) {
        const double x = overview.x(extent.west) - kFramePadding,
                     y = overview.y(extent.north) - kFramePadding;
        frames.push_back({x, y, overview.x(extent.east) + kFramePadding - x,
                          overview.y(extent.south) + kFramePadding - y});
    }
    return frames;
}

void drawGroupFrames(std::ostream& out, const std::vector<PageBox_t>& frames, const Frame_t& overview) {
    for (const PageBox_t& frame : frames)
        out << "<rect class=\"group-frame\" fill=\"none\" stroke=\"#555\" stroke-dasharray=\"4 3\" x=\""
            << fixed(frame.x) << "\" y=\"" << fixed(frame.y) << "\" width=\"" << fixed(frame.width)
            << "\" height=\"" << fixed(frame.height) << "\"/>\n";
    const std::vector<PageBox_t> obstacles = {{overview.left(), overview.top(), overview.width(), 20},
                                              {overview.left(), overview.top(), 64, overview.height()},
                                              {overview.left(), overview.bottom() - 40, 260, 40}};
    const PageBox_t bounds{overview.left() + 2, overview.top() + 2, overview.width() - 4,
                           overview.height() - 4};
    const std::vector<PageBox_t> labels = placeLabels(frames, kLetterBox, kLetterBox, bounds, obstacles);
    for (std::size_t g = 0; g < labels.size(); ++g) {
        const PageBox_t& label = labels[g];
        const PageBox_t& frame = frames[g];
        const double cx = label.x + label.width / 2, cy = label.y + label.height / 2;
        const double nx = std::clamp(cx, frame.x, frame.right()),
                     ny = std::clamp(cy, frame.y, frame.bottom());
        if (std::hypot(cx - nx, cy - ny) > kLetterBox)
            out << "<line class=\"leader\" stroke=\"#555\" stroke-width=\"0.8\" x1=\"" << fixed(cx)
                << "\" y1=\"" << fixed(cy) << "\" x2=\"" << fixed(nx) << "\" y2=\"" << fixed(ny) << "\"/>\n";
        drawLetter(out, "overview-letter", label, insetLetter(g));
    }
}

} // namespace host
