// pathlet export: a record file as GPX 1.1, GeoJSON, KML or CSV.
#include "host/cli/Commands.h"
#include "host/cli/RecordFileSource.h"
#include "host/cli/SharedOptions.h"
#include "host/exports/Documents.h"
#include "host/exports/ExportFormat.h"
#include "host/hotsync/HotSync.h"

#include <iostream>
#include <memory>

namespace host {

namespace {

struct Options {
    RecordFileSource_t source;
    std::string format;
    std::string output;
    bool points = false;
    std::optional<uint32_t> codePage;
    ExportChoice_t choice;
};

// The record file to export: where it comes from is decided here alone.
void addSource(CLI::App& command, Options& options) {
    addRecordFileSource(command, options.source);
}

// --format names the format; without it the output file's name does.
// @exception CLI::ValidationError when neither does, or --points goes with another format.
void chooseFormat(Options& options) {
    const bool toStandardOutput = options.output.empty() || options.output == "-";
    if (!options.format.empty())
        options.choice.format = *exportFormatNamed(options.format);
    else if (toStandardOutput)
        throw CLI::ValidationError("--format",
                                   "needed when writing to standard output: gpx, geojson, kml or csv");
    else if (const auto named = exportFormatOfFile(options.output))
        options.choice.format = *named;
    else
        throw CLI::ValidationError("--format", "needed: '" + options.output +
                                                   "' does not end in .gpx, .geojson, .json, .kml or .csv");
    if (options.points && options.choice.format != ExportFormat_t::GeoJson)
        throw CLI::ValidationError("--points",
                                   "only for GeoJSON (--format geojson, or an output name ending in "
                                   ".geojson or .json)");
    options.choice.points = options.points;
}

int runExport(const Options& options) {
    const OpenedRecordFile_t opened(options.source, options.codePage);
    std::string warning;
    writeDocument(options.output, [&](std::ostream& out) {
        warning = writeExport(opened.database, opened.codePage, options.choice, out);
    });
    if (!warning.empty())
        std::cerr << "pathlet: warning: " << warning << "\n";
    return 0;
}

} // namespace

Command_t addExportCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    CLI::App* command =
        program.add_subcommand("export", "Convert a Tracks.tlx file to GPX 1.1, GeoJSON, KML or CSV");
    addSource(*command, *options);
    command
        ->add_option("--format", options->format,
                     "gpx, geojson, kml or csv (default: from the output file's name: .gpx, .geojson, .json, "
                     ".kml, .csv)")
        ->check(CLI::IsMember({"gpx", "geojson", "kml", "csv"}, CLI::ignore_case));
    command->add_option("-o,--output", options->output, "Output file (default: standard output)");
    command->add_flag(
        "--points", options->points,
        "GeoJSON: a Point per track point (track, index, time, elevation) instead of the lines");
    addCodePageOption(*command, options->codePage);
    command->final_callback([options] { chooseFormat(*options); });
    return {command, [options] { return runExport(*options); }};
}

} // namespace host
