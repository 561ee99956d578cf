#ifndef REC_REC_DATABASEREADER_H
#define REC_REC_DATABASEREADER_H

#include "nav/NAV_Database.h"
#include "rec/REC_FileFormat.h"
#include "rec/REC_FileHeader.h"

#include <istream>
#include <string>

namespace rec {

// Reads a whole record file into an empty database: the signature, the format record (its
// version drives the reads of identifiers and route stops), the writer record, then every
// database record. Track points are appended one by one, so every statistic is rebuilt.
// @exception FileFormatError_t for anything that is not a well-formed record file: a wrong
// signature, a truncated record, a payload that does not parse to its exact length, a field out
// of range, a format newer than 105, a duplicate key.
FileInfo_t readDatabase(std::istream& in, nav::Database_t& database);

// The same for a file on disk; a file that cannot be opened is a FileFormatError_t at offset 0.
FileInfo_t readDatabaseFile(const std::string& path, nav::Database_t& database);

// How many tracks and points a record file holds, read from the track records' counts without
// decoding the points (for a line that says what a HotSync wrote).
struct TrackCount_t {
    uint64_t tracks = 0;
    uint64_t points = 0;
};
// @exception FileFormatError_t as readDatabaseFile.
TrackCount_t countTracksInFile(const std::string& path);

} // namespace rec

#endif
