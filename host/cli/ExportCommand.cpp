// pathlet export: a record file as GPX 1.1 or GeoJSON.
#include "host/cli/Commands.h"
#include "host/cli/SharedOptions.h"
#include "host/hotsync/HotSync.h"

#include <memory>

namespace host {

namespace {

struct Options {
    std::string file;
    std::string format;
    std::string output;
    std::optional<uint32_t> codePage;
};

} // namespace

Command_t addExportCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    CLI::App* command = program.add_subcommand("export", "Convert a Tracks.tlx file to GPX 1.1 or GeoJSON");
    addRecordFileArgument(*command, options->file);
    command->add_option("--format", options->format, "gpx or geojson")
        ->required()
        ->check(CLI::IsMember({"gpx", "geojson"}));
    command->add_option("-o,--output", options->output, "Output file (default: standard output)");
    addCodePageOption(*command, options->codePage);
    return {command, [options] {
                exportRecordFile(options->file, options->format, options->output,
                                 codePageFor(options->file, options->codePage));
                return 0;
            }};
}

} // namespace host
