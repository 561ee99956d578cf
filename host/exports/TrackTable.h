#ifndef HOST_EXPORTS_TRACKTABLE_H
#define HOST_EXPORTS_TRACKTABLE_H

#include "nav/NAV_Database.h"

#include <ostream>

namespace host {

// A table of the database's tracks: name, colour, points, length, duration, first and last time
// (UTC) and bounding box in degrees.
void printTrackTable(const nav::Database_t& database, uint32_t codePage, std::ostream& out);

// Semicircles to degrees.
double degrees(int32_t semicircles);
// Seconds as "1h 02m 03s".
std::string durationText(double seconds);
// A time as ISO 8601 UTC.
std::string isoTime(const glo::Time_t& time);

} // namespace host

#endif
