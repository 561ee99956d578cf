#ifndef SYNTH_SYN_DESCRIPTION_H
#define SYNTH_SYN_DESCRIPTION_H

#include <string>
#include <vector>

namespace synth {

// The records of a handheld track database described in a short text, one statement a line:
//
//   # a comment
//   log "Name" color=3 flags=time,alt,aux per-record=100      starts a track log
//       (layout overrides: header-length= count= stride= name-offset= first-point=)
//   point 47.5 8.25 t=1 alt=412.5 aux=1 seg                    a point in degrees; t: handheld seconds
//   raw-point 536870913 134217728 t=1                          a point in semicircles
//   record 26 00 02 00 ...                                     a raw record, bytes in hex
//   empty                                                      an empty record (00 00)
//
// Names may hold \xNN escapes for any byte. Each log becomes its records where it stands.
// Throws std::runtime_error naming the line of a statement it cannot read, or of a log with more
// points than a log can count (65,535).
std::vector<std::string> recordsFromDescription(const std::string& text);

} // namespace synth

#endif
