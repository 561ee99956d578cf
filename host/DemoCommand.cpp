#include "Commands.h"
#include "HotSyncRoot.h"
#include "TrackTable.h"

#include "PdbWriter.h"
#include "TrackLog.h"
#include "glo/GLO_Identity.h"
#include "rec/REC_DatabaseReader.h"

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace host {

namespace {

// The sample handheld: realistic walks, an active log, a log recorded in three segments, and two
// logs of one name.
std::vector<std::string> sampleRecords() {
    std::vector<pdbgen::TrackLog> logs = pdbgen::syntheticLogs(3, 720, 100, 2004, 0.04);
    logs[0].name = "Morning walk";
    logs[1].name = "Ridge traverse";
    logs[2].name = "Lake loop";

    std::vector<pdbgen::TrackLog> more = pdbgen::syntheticLogs(3, 240, 60, 17, 0.04);
    more[0].name = "ACTIVE LOG";
    more[1].name = "Lake loop";
    more[1].colorCode = 9;
    more[2].name = "Ferry crossing";
    more[2].colorCode = 4;
    more[2].pointFlags = 0x07;
    for (const std::size_t at : {80u, 160u})
        more[2].points[at].latitude |= 1; // the receiver lost its fix twice
    logs.insert(logs.end(), more.begin(), more.end());

    std::vector<std::string> records;
    for (const pdbgen::TrackLog& log : logs)
        for (std::string& record : pdbgen::encodeTrackLog(log))
            records.push_back(std::move(record));
    return records;
}

} // namespace

int runDemo(const std::string& rootPath) {
    fs::remove_all(rootPath);
    fs::create_directories(rootPath + "/handheld");
    const std::string handheld = rootPath + "/handheld/TrackDB.pdb";
    pdbgen::writeFile(handheld,
                      pdbgen::buildPdb(glo::TrackDatabaseName, "Trck", glo::CreatorCode, sampleRecords()));
    std::cout << "Sample handheld: " << handheld << "\n";

    const User user = HotSyncRoot(rootPath).addUser("Demo User", std::nullopt, std::nullopt);
    std::cout << "HotSync root:    " << rootPath << " (user '" << user.name << "')\n\nHotSync log:\n";

    HotSyncOptions options;
    options.handheld = handheld;
    options.root = rootPath;
    options.user = user.name;
    if (runHotSync(options) != 0)
        return 1;

    const std::string file = HotSyncRoot(rootPath).conduitFileName(user).value_or("");
    nav::Database_t database(nav::Name_t(""), 3);
    rec::readDatabaseFile(file, database);
    std::cout << "\n" << file << " (" << fs::file_size(file) << " bytes):\n\n";
    printTrackTable(database, std::cout);
    return 0;
}

} // namespace host
