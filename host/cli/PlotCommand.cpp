// pathlet plot: a record file's tracks as an SVG map.
#include "host/cli/Commands.h"
#include "host/cli/SharedOptions.h"
#include "host/exports/Documents.h"
#include "host/exports/Export.h"
#include "host/hotsync/HotSync.h"

#include <memory>

namespace host {

namespace {

struct Options {
    std::string file;
    std::string output;
    std::optional<uint32_t> codePage;
};

int runPlot(const Options& options) {
    const uint32_t codePage = codePageFor(options.file, options.codePage);
    const auto context = startUp(codePage);
    nav::Database_t database(nav::Name_t(""), 3);
    readRecordFile(options.file, database);
    writeDocument(options.output, [&](std::ostream& out) { writeSvg(database, codePage, out); });
    return 0;
}

} // namespace

Command_t addPlotCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    CLI::App* command = program.add_subcommand("plot", "Draw the tracks of a Tracks.tlx file as an SVG map");
    addRecordFileArgument(*command, options->file);
    command->add_option("-o,--output", options->output, "The SVG file (default: standard output)");
    addCodePageOption(*command, options->codePage);
    return {command, [options] { return runPlot(*options); }};
}

} // namespace host
