#ifndef HOST_CLI_RECORDFILESOURCE_H
#define HOST_CLI_RECORDFILESOURCE_H

// The record file that dump, export and plot read: a path, or a user of the HotSync root whose
// Tracks.tlx it is.

#include "app/HostInterface.h"
#include "nav/NAV_Database.h"
#include "rec/REC_DatabaseReader.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <memory>
#include <optional>
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

// The record file read whole, with the code page its names are in (`given`, else the one its
// HotSync recorded) and the conduit's module started for that code page while this lives.
// @exception UsageError, DocumentError naming the file and why.
struct OpenedRecordFile_t {
    OpenedRecordFile_t(const RecordFileSource_t& source, std::optional<uint32_t> given);

    std::string file;
    uint32_t codePage;
    std::unique_ptr<app::HostContext_t> context;
    nav::Database_t database;
    rec::FileInfo_t info;
};

} // namespace host

#endif
