#ifndef HOST_CLI_RECORDFILESOURCE_H
#define HOST_CLI_RECORDFILESOURCE_H

// The record file that dump, export and plot read: a path, or a user of the HotSync root whose
// Tracks.tlx it is.

#include <CLI/CLI.hpp>

#include <string>

namespace host {

struct RecordFileSource_t {
    std::string file;
    std::string user;
    std::string root;
};

// FILE, or --user NAME (with --root); exactly one of them, else a usage error.
void addRecordFileSource(CLI::App& command, RecordFileSource_t& source);

// The file to read. @exception UsageError for an unknown user or one with no file yet.
std::string recordFileOf(const RecordFileSource_t& source);

} // namespace host

#endif
