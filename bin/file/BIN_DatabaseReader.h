#ifndef BIN_FILE_BIN_DATABASEREADER_H
#define BIN_FILE_BIN_DATABASEREADER_H

#include "glo/GLO_Exception.h"
#include "nav/NAV_Database.h"

#include <cstdint>
#include <istream>
#include <string>

namespace bin {

// A record file that cannot be read: the message names the byte offset and what is wrong there.
class FileFormatError_t : public glo::Exception_t {
public:
    FileFormatError_t(const char* source, int line, uint64_t offset, const std::string& what)
        : glo::Exception_t(source, line, "offset " + std::to_string(offset) + ": " + what), m_offset(offset) {
    }
    uint64_t offset() const { return m_offset; }

private:
    uint64_t m_offset;
};

// What the header of a record file says, and what the reader skipped.
struct FileInfo_t {
    uint16_t formatVersion = 0;
    uint16_t writerVersion = 0;
    std::string buildLabel;
    std::string buildDate;
    std::string buildTime;
    std::size_t unknownRecords = 0; // records of types this reader does not know, skipped
    std::size_t records = 0;
};

// The newest format version the reader accepts.
constexpr uint16_t kNewestReadableVersion = 105;

// Reads a whole record file into an empty database: the signature, the format record (its
// version drives the reads of identifiers and route stops), the writer record, then every
// database record. Track points are appended one by one, so every statistic is rebuilt.
// @exception FileFormatError_t for anything that is not a well-formed record file: a wrong
// signature, a truncated record, a payload that does not parse to its exact length, a field out
// of range, a format newer than 105, a duplicate key.
FileInfo_t readDatabase(std::istream& in, nav::Database_t& database);

// The same for a file on disk; a file that cannot be opened is a FileFormatError_t at offset 0.
FileInfo_t readDatabaseFile(const std::string& path, nav::Database_t& database);

} // namespace bin

#endif
