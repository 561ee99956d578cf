#include "host/cli/SharedOptions.h"

#include "host/hotsync/HotSync.h"

namespace host {

void addRootOption(CLI::App& command, std::string& root) {
    root = defaultRoot();
    command.add_option("--root", root,
                       "HotSync root directory (default: $PATHLET_ROOT or ~/.local/share/pathlet)");
}

void addCodePageOption(CLI::App& command, std::optional<uint32_t>& codePage) {
    command
        .add_option("--codepage", codePage,
                    "Code page of the handheld's names (default: the one the user's last HotSync used, "
                    "else 1252)")
        ->check(CLI::PositiveNumber);
}

void addLogFormatOption(CLI::App& command, LogFormat& format) {
    command
        .add_option_function<std::string>(
            "--log-format",
            [&format](const std::string& name) {
                format = name == "jsonl" ? LogFormat::Jsonl : LogFormat::Text;
            },
            "HotSync log on standard output: text or jsonl")
        ->check(CLI::IsMember({"text", "jsonl"}));
}

void addExportOption(CLI::App& command, std::string& format) {
    command
        .add_option(
            "--export", format,
            "Also write Tracks.gpx, .geojson, .kml or .csv beside Tracks.tlx: gpx, geojson, kml or csv")
        ->check(CLI::IsMember({"gpx", "geojson", "kml", "csv"}, CLI::ignore_case));
}

} // namespace host
