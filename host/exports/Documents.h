#ifndef HOST_EXPORTS_DOCUMENTS_H
#define HOST_EXPORTS_DOCUMENTS_H

// The files around an export: the record file read in, the document written out.

#include "nav/NAV_Database.h"
#include "rec/REC_DatabaseReader.h"

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace host {

// A record file that cannot be read, or a document that cannot be written: one line, naming the
// file and the reason.
struct DocumentError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads a record file into `database`. @exception DocumentError when it is not a whole record file.
rec::FileInfo_t readRecordFile(const std::string& file, nav::Database_t& database);

// Writes a document through `write`: to standard output for "" or "-", else replacing `output`
// whole, so that a failed export leaves no half-written document.
// @exception DocumentError when the file cannot be written.
void writeDocument(const std::string& output, const std::function<void(std::ostream&)>& write);

} // namespace host

#endif
