#include "Commands.h"
#include "Export.h"

#include "glo/GLO_ReplacingFile.h"
#include "rec/REC_DatabaseReader.h"

#include <iostream>
#include <system_error>

namespace host {

namespace {

void readFile(const std::string& file, nav::Database_t& database) {
    try {
        rec::readDatabaseFile(file, database);
    } catch (const rec::FileFormatError_t& e) {
        throw UsageError(file + ": " + e.what());
    }
}

// Replaces the output whole, so that a failed export leaves no half-written document.
template <class Write> void writeOutput(const std::string& output, Write&& write) {
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
            throw UsageError("cannot write " + output);
        file.commit();
    } catch (const std::system_error& e) {
        throw UsageError("cannot write " + output + ": " + e.code().message());
    }
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
        else if (const std::size_t left = writeGeoJson(database, codePage, out))
            std::cerr << "pathlet: warning: " << left
                      << " waypoints are not in the GeoJSON (its features are "
                      << "all lines); export GPX to have them\n";
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
