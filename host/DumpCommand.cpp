#include "Commands.h"
#include "TrackTable.h"
#include "Utf8Text.h"

#include "rec/REC_DatabaseReader.h"

#include <iomanip>
#include <iostream>
#include <sstream>

namespace host {

namespace {

std::string number(double value, int digits) {
    std::ostringstream out;
    out << std::setprecision(digits) << value;
    return out.str();
}

void printPointsText(const nav::Track_t& track) {
    int index = 0;
    track.forEachPoint([&](const nav::TrackPoint_t& p) {
        std::cout << "    " << std::setw(6) << index++ << "  " << std::fixed << std::setprecision(7)
                  << degrees(p.position.latitude()) << " " << degrees(p.position.longitude());
        std::cout << "  alt "
                  << (p.position.altitude().present() ? number(p.position.altitude().get(), 10) : "-");
        std::cout << "  " << (p.time.present() ? isoTime(p.time.get()) : "-");
        std::cout << "  aux " << (p.auxiliary.present() ? number(p.auxiliary.get(), 10) : "-") << "\n";
    });
}

std::string pointJson(const nav::TrackPoint_t& p) {
    std::ostringstream out;
    out << "{\"lat\": " << std::setprecision(12) << degrees(p.position.latitude())
        << ", \"lon\": " << degrees(p.position.longitude());
    if (p.position.altitude().present())
        out << ", \"ele\": " << p.position.altitude().get();
    if (p.time.present())
        out << ", \"time\": \"" << isoTime(p.time.get()) << "\"";
    if (p.auxiliary.present())
        out << ", \"aux\": " << p.auxiliary.get();
    out << "}";
    return out.str();
}

void printJson(const rec::FileInfo_t& info, const nav::Database_t& database, bool points, uint32_t codePage) {
    std::cout << "{\"format_version\": " << info.formatVersion
              << ", \"writer_version\": " << info.writerVersion
              << ", \"build\": {\"label\": " << jsonString(info.buildLabel, codePage)
              << ", \"date\": " << jsonString(info.buildDate, codePage)
              << ", \"time\": " << jsonString(info.buildTime, codePage) << "},\n \"tracks\": [";
    const char* separator = "";
    for (const auto& [id, track] : database.tracks()) {
        const nav::TrackSummary_t& s = track.summary();
        std::cout << separator << "\n  {\"name\": " << jsonString(id.str(), codePage)
                  << ", \"color\": " << track.color() << ", \"points\": " << s.pointCount
                  << ", \"length_km\": " << std::setprecision(12) << s.distance / 1000.0;
        if (s.duration.present())
            std::cout << ", \"duration_s\": " << s.duration.get();
        if (s.firstPoint.present() && s.firstPoint.get().time.present())
            std::cout << ", \"first_time\": \"" << isoTime(s.firstPoint.get().time.get()) << "\"";
        if (s.lastPoint.present() && s.lastPoint.get().time.present())
            std::cout << ", \"last_time\": \"" << isoTime(s.lastPoint.get().time.get()) << "\"";
        if (!s.box.empty())
            std::cout << ", \"box\": {\"south\": " << degrees(s.box.south())
                      << ", \"west\": " << degrees(s.box.west()) << ", \"north\": " << degrees(s.box.north())
                      << ", \"east\": " << degrees(s.box.east()) << "}";
        if (points) {
            std::cout << ", \"track_points\": [";
            const char* comma = "";
            track.forEachPoint([&](const nav::TrackPoint_t& p) {
                std::cout << comma << pointJson(p);
                comma = ", ";
            });
            std::cout << "]";
        }
        std::cout << "}";
        separator = ",";
    }
    std::cout << "\n ],\n \"waypoints\": " << database.waypoints().size()
              << ", \"routes\": " << database.routes().size()
              << ", \"unknown_records\": " << info.unknownRecords << "}\n";
}

} // namespace

int runDump(const std::string& file, bool json, bool points, uint32_t codePage) {
    const auto context = startUp(codePage);
    nav::Database_t database(nav::Name_t(""), 3);
    rec::FileInfo_t info;
    try {
        info = rec::readDatabaseFile(file, database);
    } catch (const rec::FileFormatError_t& e) {
        throw UsageError(file + ": " + e.what());
    }
    if (json) {
        printJson(info, database, points, codePage);
        return 0;
    }
    std::cout << file << ": format " << info.formatVersion << ", writer " << info.writerVersion << ", build "
              << info.buildLabel << " " << info.buildDate << " " << info.buildTime << "\n\n";
    printTrackTable(database, std::cout);
    std::cout << "\n"
              << database.tracks().size() << " tracks, " << database.waypoints().size() << " waypoints, "
              << database.routes().size() << " routes";
    if (info.unknownRecords)
        std::cout << ", " << info.unknownRecords << " records of unknown types skipped";
    std::cout << "\n";
    if (points)
        for (const auto& [id, track] : database.tracks()) {
            std::cout << "\n" << id.str() << ":\n";
            printPointsText(track);
        }
    return 0;
}

} // namespace host
