#ifndef BIN_FILE_BIN_DATABASEWRITER_H
#define BIN_FILE_BIN_DATABASEWRITER_H

#include "bin/BIN_stream.h"
#include "nav/NAV_Database.h"

namespace bin {

// Writes every table of the database as records, in this order: waypoints 'W', routes 'R' and
// tracks 'T' in key order, then the route flags '0', the L set 'L' and the name flags 'V'. One
// record is built and framed at a time. A failing stream raises whatever its exception mask says.
basic_ostream& writeDatabase(const nav::Database_t& database, basic_ostream& out);

// The payloads, for the reader's round-trip tests and for tools.
void writeTrack(basic_ostream& out, const nav::Track_t& track);
void writeWaypoint(basic_ostream& out, const nav::Waypoint_t& waypoint);
void writeLEntry(basic_ostream& out, const nav::LEntry_t& entry);

} // namespace bin

#endif
