#ifndef REC_REC_DATABASEWRITER_H
#define REC_REC_DATABASEWRITER_H

#include "bin/BIN_stream.h"
#include "nav/NAV_Database.h"

namespace rec {

// Writes every table of the database as records, in this order: waypoints, routes and tracks in
// key order, then the route flags, the L set and the name flags. One record is built and framed
// at a time. A failing stream raises whatever its exception mask says.
bin::basic_ostream& writeDatabase(const nav::Database_t& database, bin::basic_ostream& out);

} // namespace rec

#endif
