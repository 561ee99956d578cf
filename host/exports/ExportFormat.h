#ifndef HOST_EXPORTS_EXPORTFORMAT_H
#define HOST_EXPORTS_EXPORTFORMAT_H

// Which export a name asks for, and writing it.

#include "nav/NAV_Database.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace host {

enum class ExportFormat_t { Gpx, GeoJson, Kml, Csv };

// "gpx", "geojson", "kml" or "csv", in any letter case.
std::optional<ExportFormat_t> exportFormatNamed(std::string_view name);

// The format an output file's extension names, in any letter case: .gpx, .geojson or .json, .kml,
// .csv.
std::optional<ExportFormat_t> exportFormatOfFile(std::string_view path);

struct ExportChoice_t {
    ExportFormat_t format = ExportFormat_t::Gpx;
    bool points = false; // GeoJSON: the track points instead of the lines
};

// Writes the database in the chosen format. Returns a warning for what the format left out
// ("" when nothing was).
std::string writeExport(const nav::Database_t& database, uint32_t codePage, const ExportChoice_t& choice,
                        std::ostream& out);

} // namespace host

#endif
