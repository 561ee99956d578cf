#include "host/map/PlotTrack.h"

#include "host/exports/Palette.h"
#include "host/exports/TrackTable.h"
#include "host/text/Utf8Text.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace host {

std::vector<PlotTrack_t> plotTracks(const nav::Database_t& database, uint32_t codePage,
                                    const std::vector<std::string>& only, double& westLongitude) {
    std::set<std::string> named;
    for (const auto& [id, track] : database.tracks())
        named.insert(toUtf8(id.str(), codePage));
    for (const std::string& name : only)
        if (!named.contains(name))
            throw std::invalid_argument("no track is named '" + name + "' ('pathlet dump' lists the tracks)");
    const auto drawn = [&](const nav::TrackId_t& id) {
        return only.empty() || std::find(only.begin(), only.end(), toUtf8(id.str(), codePage)) != only.end();
    };
    geo::Box_t box;
    for (const auto& [id, track] : database.tracks())
        if (drawn(id))
            box.unite(track.summary().box);
    std::vector<PlotTrack_t> tracks;
    westLongitude = 0;
    if (box.empty())
        return tracks;
    const int32_t west = box.west();
    westLongitude = degrees(west);
    for (const auto& [id, track] : database.tracks()) {
        if (!drawn(id))
            continue;
        PlotTrack_t plotted{toUtf8(id.str(), codePage), paletteColour(track.color()), {}, {}};
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

} // namespace host
