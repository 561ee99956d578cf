// pathlet dump: what a record file holds, as a table or one JSON document.
#include "host/cli/Commands.h"
#include "host/cli/RecordFileSource.h"
#include "host/cli/SharedOptions.h"
#include "host/cli/TerminalWidth.h"
#include "host/exports/Documents.h"
#include "host/exports/NaturalTracks.h"
#include "host/exports/TrackTable.h"
#include "host/hotsync/HotSync.h"
#include "host/hotsync/HotSyncWords.h"
#include "host/text/JsonWriter.h"
#include "host/text/TerminalText.h"
#include "host/text/Utf8Text.h"

#include "rec/REC_DatabaseReader.h"

#include <cmath>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace host {

namespace {

void printPointsText(const nav::Track_t& track) {
    int index = 0;
    track.forEachPoint([&](const nav::TrackPoint_t& p) {
        std::cout << "    " << std::setw(6) << index++ << "  " << std::fixed << std::setprecision(7)
                  << degrees(p.position.latitude()) << " " << degrees(p.position.longitude());
        std::cout << "  alt "
                  << (p.position.altitude().present() ? numberText(p.position.altitude().get()) : "-");
        std::cout << "  " << (p.time.present() ? isoTime(p.time.get()) : "-");
        std::cout << "  aux " << (p.auxiliary.present() ? numberText(p.auxiliary.get()) : "-") << "\n";
    });
}

void pointJson(JsonWriter& json, const nav::TrackPoint_t& p) {
    json.beginObject().key("lat").number(degrees(p.position.latitude()));
    json.key("lon").number(degrees(p.position.longitude()));
    if (p.position.altitude().present() && std::isfinite(p.position.altitude().get()))
        json.key("ele").number(p.position.altitude().get());
    if (p.time.present())
        json.key("time").string(isoTime(p.time.get()));
    if (p.auxiliary.present() && std::isfinite(p.auxiliary.get()))
        json.key("aux").number(p.auxiliary.get());
    json.endObject();
}

// Values JSON cannot hold (an altitude that is not a number) are left out.
void printJson(const rec::FileInfo_t& info, const nav::Database_t& database, bool points, uint32_t codePage) {
    JsonWriter json;
    json.beginObject(true).key("format_version").integer(info.formatVersion);
    json.key("writer_version").integer(info.writerVersion);
    json.key("build").beginObject().key("label").string(fromCodePage(info.buildLabel, codePage));
    json.key("date").string(fromCodePage(info.buildDate, codePage));
    json.key("time").string(fromCodePage(info.buildTime, codePage)).endObject();
    json.key("codepage").integer(codePage);
    json.key("tracks").beginArray(true);
    for (const auto& [name, trackOf] : tracksInNaturalOrder(database, codePage)) {
        const nav::Track_t& track = *trackOf;
        const nav::TrackSummary_t& s = track.summary();
        json.beginObject().key("name").string(name);
        json.key("color").integer(track.color()).key("points").integer(s.pointCount);
        json.key("length_km").number(s.distance / 1000.0);
        if (s.duration.present())
            json.key("duration_s").number(s.duration.get());
        if (s.firstPoint.present() && s.firstPoint.get().time.present())
            json.key("first_time").string(isoTime(s.firstPoint.get().time.get()));
        if (s.lastPoint.present() && s.lastPoint.get().time.present())
            json.key("last_time").string(isoTime(s.lastPoint.get().time.get()));
        if (!s.box.empty()) {
            json.key("box").beginObject().key("south").number(degrees(s.box.south()));
            json.key("west").number(degrees(s.box.west())).key("north").number(degrees(s.box.north()));
            json.key("east").number(degrees(s.box.east())).endObject();
        }
        if (points) {
            json.key("track_points").beginArray();
            track.forEachPoint([&](const nav::TrackPoint_t& p) {
                pointJson(json, p);
                if (json.text().size() > (1 << 16))
                    json.drainTo(std::cout);
            });
            json.endArray();
        }
        json.endObject();
        json.drainTo(std::cout);
    }
    json.endArray().key("waypoints").integer(static_cast<int64_t>(database.waypoints().size()));
    json.key("routes").integer(static_cast<int64_t>(database.routes().size()));
    json.key("unknown_records").integer(static_cast<int64_t>(info.unknownRecords)).endObject();
    json.drainTo(std::cout);
    std::cout << "\n";
}

struct Options {
    RecordFileSource_t source;
    bool json = false;
    bool points = false;
    std::optional<uint32_t> codePage;
};

bool hasNonAsciiNames(const nav::Database_t& database) {
    for (const auto& [id, track] : database.tracks())
        for (const char c : id.str())
            if (static_cast<unsigned char>(c) >= 0x80)
                return true;
    return false;
}

int runDump(const Options& options) {
    const OpenedRecordFile_t opened(options.source, options.codePage);
    const std::string& file = opened.file;
    const bool points = options.points;
    const uint32_t codePage = opened.codePage;
    const nav::Database_t& database = opened.database;
    const rec::FileInfo_t& info = opened.info;
    if (options.json) {
        printJson(info, database, points, codePage);
        return 0;
    }
    std::cout << file << ": format " << info.formatVersion << ", writer " << info.writerVersion << ", build "
              << info.buildLabel << " " << info.buildDate << " " << info.buildTime << "\n";
    // A file copied away from its user's directory no longer says which code page its names are
    // in: say what was assumed where it matters.
    if (!options.codePage && !recordedCodePage(file) && hasNonAsciiNames(database))
        std::cout << "Names read as code page " << codePage
                  << " (assumed); if they look wrong, give the handheld's with --codepage, e.g. --codepage "
                     "932 for Japanese\n";
    std::cout << "\n";
    const TableFit_t fit = printTrackTable(database, codePage, std::cout, terminalWidth());
    std::cout << "\n"
              << counted(database.tracks().size(), "track") << ", "
              << counted(database.waypoints().size(), "waypoint") << ", "
              << counted(database.routes().size(), "route");
    if (info.unknownRecords)
        std::cout << ", " << counted(info.unknownRecords, "record") << " of unknown types skipped";
    std::cout << "\n";
    if (!fit.leftOut.empty()) {
        std::string columns;
        for (const std::string& heading : fit.leftOut)
            columns += (columns.empty() ? "" : ", ") + heading;
        std::cout << "Left out to fit the terminal: " << columns << " (--json has everything)\n";
    }
    if (points)
        for (const auto& [name, track] : tracksInNaturalOrder(database, codePage)) {
            std::cout << "\n" << oneLine(name) << ":\n";
            printPointsText(*track);
        }
    return 0;
}

} // namespace

Command_t addDumpCommand(CLI::App& program) {
    auto options = std::make_shared<Options>();
    CLI::App* command = program.add_subcommand("dump", "Show what a Tracks.tlx file holds");
    addRecordFileSource(*command, options->source);
    command->add_flag("--json", options->json, "One JSON document");
    command->add_flag("--points", options->points, "Every point too");
    addCodePageOption(*command, options->codePage);
    return {command, [options] { return runDump(*options); }};
}

} // namespace host
