// pathlet plot: a record file's tracks as an SVG map.
#include "host/cli/Commands.h"
#include "host/cli/RecordFileSource.h"
#include "host/cli/SharedOptions.h"
#include "host/exports/Documents.h"
#include "host/hotsync/HotSync.h"
#include "host/map/MapSvg.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace host {

namespace {

struct Options {
    RecordFileSource_t source;
    std::string output;
    std::optional<uint32_t> codePage;
    std::vector<std::string> tracks;
};

int runPlot(const Options& options) {
    const OpenedRecordFile_t opened(options.source, options.codePage);
    MapSettings_t settings;
    // Shorelines are scenery: a data set elsewhere, or none at all, is the user's choice to make.
    if (const char* coastlines = std::getenv("PATHLET_COASTLINES"))
        settings.coastlines = coastlines;
    settings.tracks = options.tracks;
    writeDocument(options.output,
                  [&](std::ostream& out) { writeMapSvg(opened.database, opened.codePage, settings, out); });
    return 0;
}

} // namespace

Command_t addPlotCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    CLI::App* command = program.add_subcommand("plot", "Draw the tracks of a Tracks.tlx file as an SVG map");
    addRecordFileSource(*command, options->source);
    command->add_option("-o,--output", options->output, "The SVG file (default: standard output)");
    command->add_option(
        "--track", options->tracks,
        "Draw only the track of this name, as the legend writes it (may be given more than once)");
    addCodePageOption(*command, options->codePage);
    return {command, [options] { return runPlot(*options); }};
}

} // namespace host
