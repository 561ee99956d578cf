#ifndef HOST_EXPORTS_TRACKTABLE_H
#define HOST_EXPORTS_TRACKTABLE_H

#include "nav/NAV_Database.h"

#include <ostream>
#include <string>
#include <vector>

namespace host {

// What a table left out to fit the terminal, by heading.
struct TableFit_t {
    std::vector<std::string> leftOut;
};

// A table of the database's tracks in natural order of their names: name, colour, points,
// length, duration, first and last time (UTC) and bounding box in degrees. Columns take the
// width of their widest cell; to fit `terminalWidth` cells (0: no limit) the least needed
// columns are left out, then names shortened.
TableFit_t printTrackTable(const nav::Database_t& database, uint32_t codePage, std::ostream& out,
                           std::size_t terminalWidth = 0);

// Semicircles to degrees.
double degrees(int32_t semicircles);
// Seconds as "1h 02m 03s".
std::string durationText(double seconds);
// A time as ISO 8601 UTC.
std::string isoTime(const glo::Time_t& time);

} // namespace host

#endif
