#include "host/exports/TrackTable.h"

#include "host/exports/NaturalTracks.h"
#include "host/text/TerminalText.h"

#include <algorithm>
#include <array>
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

namespace {

enum Column_t : std::size_t { Name, Colour, Points, Length, Duration, First, Last, Box, kColumns };

constexpr std::array<const char*, kColumns> kHeadings{
    "Track",    "Colour",      "Points",     "Length km",
    "Duration", "First (UTC)", "Last (UTC)", "Box (S W N E, degrees)"};
// The columns given up first when the terminal is narrow; the name is shortened after them.
constexpr std::array<Column_t, 5> kDropOrder{Box, Last, Colour, First, Duration};
constexpr std::size_t kGap = 2;
constexpr std::size_t kNarrowestName = 12;

using Row_t = std::array<std::string, kColumns>;

std::string fixed(double value, int decimals) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

Row_t rowOf(const std::string& name, const nav::Track_t& track) {
    const nav::TrackSummary_t& s = track.summary();
    Row_t row;
    row[Name] = oneLine(name);
    row[Colour] = std::to_string(static_cast<int>(track.color()));
    row[Points] = std::to_string(s.pointCount);
    row[Length] = fixed(s.distance / 1000.0, 3);
    row[Duration] = s.duration.present() ? durationText(s.duration.get()) : "-";
    row[First] = s.firstPoint.present() && s.firstPoint.get().time.present()
                     ? isoTime(s.firstPoint.get().time.get())
                     : "-";
    row[Last] = s.lastPoint.present() && s.lastPoint.get().time.present()
                    ? isoTime(s.lastPoint.get().time.get())
                    : "-";
    row[Box] = s.box.empty()
                   ? "-"
                   : fixed(degrees(s.box.south()), 5) + " " + fixed(degrees(s.box.west()), 5) + " " +
                         fixed(degrees(s.box.north()), 5) + " " + fixed(degrees(s.box.east()), 5);
    return row;
}

} // namespace

TableFit_t printTrackTable(const nav::Database_t& database, uint32_t codePage, std::ostream& out,
                           std::size_t terminalWidth) {
    std::vector<Row_t> rows;
    for (const NamedTrack_t& named : tracksInNaturalOrder(database, codePage))
        rows.push_back(rowOf(named.name, *named.track));

    std::array<std::size_t, kColumns> widths{};
    for (std::size_t column = 0; column < kColumns; ++column) {
        widths[column] = displayWidth(kHeadings[column]);
        for (const Row_t& row : rows)
            widths[column] = std::max(widths[column], displayWidth(row[column]));
    }
    std::array<bool, kColumns> shown;
    shown.fill(true);
    const auto total = [&] {
        std::size_t sum = 0;
        for (std::size_t column = 0; column < kColumns; ++column)
            sum += shown[column] ? widths[column] + (column ? kGap : 0) : 0;
        return sum;
    };
    TableFit_t fit;
    if (terminalWidth > 0) {
        for (const Column_t column : kDropOrder) {
            if (total() <= terminalWidth)
                break;
            shown[column] = false;
            fit.leftOut.push_back(kHeadings[column]);
        }
        if (total() > terminalWidth) {
            const std::size_t others = total() - widths[Name];
            widths[Name] = std::max(kNarrowestName, terminalWidth > others ? terminalWidth - others : 0);
        }
    }

    const auto print = [&](const auto& cellOf) {
        std::string line;
        for (std::size_t column = 0; column < kColumns; ++column) {
            if (!shown[column])
                continue;
            if (column)
                line.append(kGap, ' ');
            // Names and times read from the left, numbers from the right.
            const bool left = column == Name || column >= First;
            line += padWidth(cellOf(column), widths[column], left);
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << "\n";
    };
    print([](std::size_t column) { return std::string(kHeadings[column]); });
    for (const Row_t& row : rows)
        print([&](std::size_t column) { return row[column]; });
    return fit;
}

} // namespace host
