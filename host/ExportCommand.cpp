#include "Commands.h"
#include "Export.h"

#include "rec/REC_DatabaseReader.h"

#include <fstream>
#include <iostream>

namespace host {

namespace {

void readFile(const std::string& file, nav::Database_t& database) {
    try {
        rec::readDatabaseFile(file, database);
    } catch (const rec::FileFormatError_t& e) {
        throw UsageError(file + ": " + e.what());
    }
}

// Writes through a partial file so that a failed export leaves no half-written document.
template <class Write> void writeOutput(const std::string& output, Write&& write) {
    if (output.empty() || output == "-") {
        write(std::cout);
        return;
    }
    const std::string partial = output + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        write(out);
        out.close();
        if (!out) {
            std::remove(partial.c_str());
            throw UsageError("cannot write " + output);
        }
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0)
        throw UsageError("cannot write " + output);
}

} // namespace

int runExport(const std::string& file, const std::string& format, const std::string& output,
              uint32_t codePage) {
    const auto context = startUp(codePage);
    nav::Database_t database(nav::Name_t(""), 3);
    readFile(file, database);
    writeOutput(output, [&](std::ostream& out) {
        if (format == "gpx")
            writeGpx(database, codePage, out);
        else
            writeGeoJson(database, codePage, out);
    });
    return 0;
}

int runPlot(const std::string& file, const std::string& output, uint32_t codePage) {
    const auto context = startUp(codePage);
    nav::Database_t database(nav::Name_t(""), 3);
    readFile(file, database);
    writeOutput(output, [&](std::ostream& out) { writeSvg(database, codePage, out); });
    return 0;
}

} // namespace host
