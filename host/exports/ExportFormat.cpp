#include "host/exports/ExportFormat.h"

#include "host/exports/Export.h"

#include <algorithm>
#include <array>
#include <utility>

namespace host {

namespace {

constexpr std::array<std::pair<std::string_view, ExportFormat_t>, 5> kNames{{
    {"gpx", ExportFormat_t::Gpx},
    {"geojson", ExportFormat_t::GeoJson},
    {"json", ExportFormat_t::GeoJson},
    {"kml", ExportFormat_t::Kml},
    {"csv", ExportFormat_t::Csv},
}};

bool sameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::optional<ExportFormat_t> named(std::string_view name, bool extension) {
    for (const auto& [word, format] : kNames)
        if ((extension || word != "json") && sameLetters(name, word))
            return format;
    return std::nullopt;
}

std::string leftOutWarning(std::size_t count, const char* what, const char* why) {
    if (count == 0)
        return {};
    return std::to_string(count) + (count == 1 ? " waypoint or route is" : " waypoints and routes are") +
           " not in the " + what + " (" + why + "); export GPX to have them";
}

} // namespace

std::optional<ExportFormat_t> exportFormatNamed(std::string_view name) {
    return named(name, false);
}

std::optional<ExportFormat_t> exportFormatOfFile(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    return named(base.substr(dot + 1), true);
}

std::string writeExport(const nav::Database_t& database, uint32_t codePage, const ExportChoice_t& choice,
                        std::ostream& out) {
    switch (choice.format) {
    case ExportFormat_t::Gpx:
        writeGpx(database, codePage, out);
        return {};
    case ExportFormat_t::GeoJson:
        if (choice.points)
            return leftOutWarning(writeGeoJsonPoints(database, codePage, out), "GeoJSON",
                                  "its features are track points");
        if (const std::size_t left = writeGeoJson(database, codePage, out))
            return std::to_string(left) +
                   " waypoints are not in the GeoJSON (its features are all lines); export GPX "
                   "to have them";
        return {};
    case ExportFormat_t::Kml:
        writeKml(database, codePage, out);
        return {};
    case ExportFormat_t::Csv:
        return leftOutWarning(writeCsv(database, codePage, out), "CSV", "its rows are track points");
    }
    return {};
}

} // namespace host
