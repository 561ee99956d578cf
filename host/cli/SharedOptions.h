#ifndef HOST_CLI_SHAREDOPTIONS_H
#define HOST_CLI_SHAREDOPTIONS_H

// The options that several commands take, each declared once.

#include "host/platform/DesktopLog.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace host {

// --root: the HotSync root directory, defaulting to $PATHLET_ROOT or ~/.local/share/pathlet.
void addRootOption(CLI::App& command, std::string& root);
// --codepage: the code page of the handheld's names.
void addCodePageOption(CLI::App& command, std::optional<uint32_t>& codePage);
// --log-format: text or jsonl.
void addLogFormatOption(CLI::App& command, LogFormat& format);
// --export: gpx, geojson, kml or csv beside Tracks.tlx.
void addExportOption(CLI::App& command, std::string& format);

} // namespace host

#endif
