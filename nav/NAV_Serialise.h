#ifndef NAV_NAV_SERIALISE_H
#define NAV_NAV_SERIALISE_H

#include "bin/BIN_stream.h"
#include "geo/GEO_Box.h"
#include "glo/GLO_Optional.h"
#include "glo/GLO_Time.h"

#include <cstdint>
#include <vector>

namespace nav {

// The composite encodings of the record file, little-endian throughout:
//   optional double   presence byte (1/0), then the double (0.0 when absent)         9 bytes
//   optional time     presence byte, then i32 seconds since 1970 (now when absent)   5 bytes
//   position          i32 latitude, i32 longitude, optional double altitude          17 bytes
//   box               flag byte (non-zero: empty, nothing follows), then the
//                     north-east and south-west corners as positions              1 or 35 bytes
//   position list     u32 count, then the positions
//   rounded double    rounded half away from zero, as i32                           4 bytes
// Reads set failbit on data that does not make a valid value (a latitude out of range, a presence
// byte other than 0 or 1) and leave the target unchanged.

void writeOptional(bin::basic_ostream& out, const glo::Optional_t<double>& value);
// An absent time is written as the current time, read afresh for each value.
void writeOptional(bin::basic_ostream& out, const glo::Optional_t<glo::Time_t>& value);
void writePosition(bin::basic_ostream& out, const geo::Position_t& position);
void writeBox(bin::basic_ostream& out, const geo::Box_t& box);
void writePositions(bin::basic_ostream& out, const std::vector<geo::Position_t>& positions);
// @exception glo::OutOfRange_t when the rounded value does not fit 32 bits.
int32_t roundedToInt32(double value);

void readOptional(bin::basic_istream& in, glo::Optional_t<double>& value);
// A time flagged absent reads as absent (the stored value is the time of writing).
void readOptional(bin::basic_istream& in, glo::Optional_t<glo::Time_t>& value);
void readPosition(bin::basic_istream& in, geo::Position_t& position);
void readBox(bin::basic_istream& in, geo::Box_t& box);
void readPositions(bin::basic_istream& in, std::vector<geo::Position_t>& positions);

} // namespace nav

#endif
