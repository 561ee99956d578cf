#include "host/exports/Documents.h"

#include "glo/GLO_ReplacingFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

namespace fs = std::filesystem;

namespace host {

rec::FileInfo_t readRecordFile(const std::string& file, nav::Database_t& database) {
    try {
        return rec::readDatabaseFile(file, database);
    } catch (const rec::FileFormatError_t& e) {
        throw DocumentError(file + ": " + e.what());
    }
}

namespace {

std::string reason(int error) {
    return error == ENOSPC ? "the disk holding it is full" : std::generic_category().message(error);
}

// A device or a pipe (/dev/stdout, a FIFO) is written into: replacing it would put a plain file
// where the device was.
bool isSpecialFile(const std::string& output) {
    std::error_code error;
    const fs::file_status status = fs::status(output, error);
    return !error && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

void writeIntoSpecialFile(const std::string& output, const std::function<void(std::ostream&)>& write) {
    errno = 0;
    std::ofstream out(output, std::ios::binary | std::ios::out);
    if (!out.is_open())
        throw DocumentError("cannot write " + output + ": " + reason(errno != 0 ? errno : EIO));
    errno = 0;
    write(out);
    out.flush();
    // errno still holds the reason of the write that failed: nothing since has set it.
    if (!out)
        throw DocumentError("cannot write " + output + (errno != 0 ? ": " + reason(errno) : std::string()));
}

} // namespace

void writeDocument(const std::string& output, const std::function<void(std::ostream&)>& write) {
    if (output.empty() || output == "-") {
        write(std::cout);
        return;
    }
    if (isSpecialFile(output))
        return writeIntoSpecialFile(output, write);
    try {
        glo::ReplacingFile_t file(output);
        std::ostream out(&file.buffer());
        write(out);
        out.flush();
        if (!out) {
            // The stream only knows that a write failed; the file knows why.
            const int error = file.writeError();
            throw DocumentError("cannot write " + output + (error ? ": " + reason(error) : std::string()));
        }
        file.commit();
    } catch (const std::system_error& e) {
        const bool systems =
            e.code().category() == std::generic_category() || e.code().category() == std::system_category();
        throw DocumentError("cannot write " + output + ": " +
                            (systems ? reason(e.code().value()) : e.code().message()));
    }
}

} // namespace host
