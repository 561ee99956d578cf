#include "host/map/Coastlines.h"

#include "host/map/SvgOutput.h"

#include <cmath>
#include <filesystem>
#include <iterator>
#include <vector>

namespace host {

namespace {

// The data sets by how far their shorelines may stray (km): crude, low, intermediate, high, full.
struct Resolution_t {
    char letter;
    double km;
};
constexpr Resolution_t kResolutions[] = {{'c', 25}, {'l', 5}, {'i', 1}, {'h', 0.2}, {'f', 0.04}};
// Shorelines look right while they stray at most a few pixels, and are left out past ten.
constexpr double kGoodPixels = 3, kMostPixels = 10;
constexpr double kThinning = 0.6;

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string coastlineFile(const std::string& setting, double degreesPerPixel) {
    const double pixelKm = degreesPerPixel * kKmPerDegree;
    const std::filesystem::path where = setting.empty() ? kCoastlineFolder : setting;
    std::error_code error;
    if (!std::filesystem::is_directory(where, error)) {
        if (!isFile(where))
            return "";
        // A file named like a data set of the folder keeps to its own scales; any other is the user's.
        for (const Resolution_t& resolution : kResolutions)
            if (where.filename() == std::string("binned_GSHHS_") + resolution.letter + ".nc")
                return resolution.km <= kMostPixels * pixelKm ? where.string() : "";
        return where.string();
    }
    // The coarsest that looks right, else a finer one, else a coarser one that is still near enough.
    std::vector<Resolution_t> order;
    for (const Resolution_t& resolution : kResolutions)
        if (resolution.km <= kGoodPixels * pixelKm)
            order.push_back(resolution);
    for (auto it = std::rbegin(kResolutions); it != std::rend(kResolutions); ++it)
        if (it->km > kGoodPixels * pixelKm && it->km <= kMostPixels * pixelKm)
            order.push_back(*it);
    for (const Resolution_t& resolution : order) {
        const std::filesystem::path file = where / (std::string("binned_GSHHS_") + resolution.letter + ".nc");
        if (isFile(file))
            return file.string();
    }
    return "";
}

void drawCoastlines(std::ostream& out, const Frame_t& frame, const std::vector<CoastLine_t>& lines) {
    const double left = frame.left() - 2, right = frame.right() + 2, top = frame.top() - 2,
                 bottom = frame.bottom() + 2;
    std::string coast, lakes;
    for (const CoastLine_t& line : lines) {
        std::string& path = line.level == 2 || line.level == 3 || line.level == 4 ? lakes : coast;
        bool drawing = false;
        double lastX = 0, lastY = 0;
        for (std::size_t i = 1; i < line.points.size(); ++i) {
            const double x0 = frame.x(line.points[i - 1].first), y0 = frame.y(line.points[i - 1].second);
            const double x1 = frame.x(line.points[i].first), y1 = frame.y(line.points[i].second);
            // Only the steps that cross the frame; the rest would be clipped anyway.
            if (std::max(x0, x1) < left || std::min(x0, x1) > right || std::max(y0, y1) < top ||
                std::min(y0, y1) > bottom) {
                drawing = false;
                continue;
            }
            if (!drawing) {
                path += "M" + fixed(x0) + " " + fixed(y0);
                lastX = x0;
                lastY = y0;
                drawing = true;
            }
            if (std::hypot(x1 - lastX, y1 - lastY) >= kThinning || i + 1 == line.points.size()) {
                path += "L" + fixed(x1) + " " + fixed(y1);
                lastX = x1;
                lastY = y1;
            }
        }
    }
    if (!coast.empty())
        out << "<path class=\"coast\" fill=\"none\" stroke=\"#5b8db8\" stroke-width=\"1.2\" "
               "stroke-linejoin=\"round\" d=\""
            << coast << "\"/>\n";
    if (!lakes.empty())
        out << "<path class=\"lake\" fill=\"none\" stroke=\"#8fb3d1\" stroke-width=\"0.9\" "
               "stroke-linejoin=\"round\" d=\""
            << lakes << "\"/>\n";
}

} // namespace host
