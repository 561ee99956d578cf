#include "host/exports/Documents.h"

#include "glo/GLO_ReplacingFile.h"

#include <iostream>
#include <system_error>

namespace host {

rec::FileInfo_t readRecordFile(const std::string& file, nav::Database_t& database) {
    try {
        return rec::readDatabaseFile(file, database);
    } catch (const rec::FileFormatError_t& e) {
        throw DocumentError(file + ": " + e.what());
    }
}

void writeDocument(const std::string& output, const std::function<void(std::ostream&)>& write) {
    if (output.empty() || output == "-") {
        write(std::cout);
        return;
    }
    try {
        glo::ReplacingFile_t file(output);
        std::ostream out(&file.buffer());
        write(out);
        out.flush();
        if (!out)
            throw DocumentError("cannot write " + output);
        file.commit();
    } catch (const std::system_error& e) {
        throw DocumentError("cannot write " + output + ": " + e.code().message());
    }
}

} // namespace host
