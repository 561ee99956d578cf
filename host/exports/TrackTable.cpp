#include "host/exports/TrackTable.h"

#include "host/text/Utf8Text.h"

#include <cmath>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace host {

double degrees(int32_t semicircles) {
    return semicircles * (180.0 / 2147483648.0);
}

std::string durationText(double seconds) {
    const auto total = static_cast<long long>(std::llround(seconds));
    std::ostringstream out;
    out << total / 3600 << "h " << std::setw(2) << std::setfill('0') << (total / 60) % 60 << "m "
        << std::setw(2) << total % 60 << "s";
    return out.str();
}

std::string isoTime(const glo::Time_t& time) {
    const std::time_t t = time.seconds();
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

void printTrackTable(const nav::Database_t& database, uint32_t codePage, std::ostream& out) {
    out << std::left << std::setw(24) << "Track" << std::right << std::setw(7) << "Colour" << std::setw(9)
        << "Points" << std::setw(11) << "Length km" << std::setw(14) << "Duration"
        << "  " << std::left << std::setw(21) << "First (UTC)" << std::setw(21) << "Last (UTC)"
        << "Box (S W N E, degrees)\n";
    for (const auto& [id, track] : database.tracks()) {
        const nav::TrackSummary_t& s = track.summary();
        std::string first = "-";
        std::string last = "-";
        if (s.firstPoint.present() && s.firstPoint.get().time.present())
            first = isoTime(s.firstPoint.get().time.get());
        if (s.lastPoint.present() && s.lastPoint.get().time.present())
            last = isoTime(s.lastPoint.get().time.get());
        std::ostringstream box;
        if (s.box.empty()) {
            box << "-";
        } else {
            box << std::fixed << std::setprecision(5) << degrees(s.box.south()) << " "
                << degrees(s.box.west()) << " " << degrees(s.box.north()) << " " << degrees(s.box.east());
        }
        out << padCharacters(toUtf8(id.str(), codePage), 23) << " " << std::right << std::setw(7)
            << static_cast<int>(track.color()) << std::setw(9) << s.pointCount << std::setw(11) << std::fixed
            << std::setprecision(3) << s.distance / 1000.0 << std::setw(14)
            << (s.duration.present() ? durationText(s.duration.get()) : "-") << "  " << std::left
            << std::setw(21) << first << std::setw(21) << last << box.str() << "\n";
    }
}

} // namespace host
