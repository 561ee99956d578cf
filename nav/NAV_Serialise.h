#ifndef NAV_NAV_SERIALISE_H
#define NAV_NAV_SERIALISE_H

#include "bin/BIN_stream.h"
#include "geo/GEO_Box.h"
#include "glo/GLO_Optional.h"
#include "glo/GLO_Time.h"
#include "nav/NAV_TrackPoint.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace nav {

// The value encodings that the record file's records are made of, each written and read here as
// a pair (little-endian, unaligned): optional values (a presence byte 1/0, then the value),
// positions (latitude, longitude, optional altitude), boxes (an "empty" flag byte, then the
// north-east and south-west corners), position lists (a u32 count, then the positions) and track
// points. Reads set failbit on data that does not make a valid value (a latitude out of range, a
// presence byte other than 0 or 1) and leave the target unchanged.

void writeOptional(bin::basic_ostream& out, const glo::Optional_t<double>& value);
// An absent time is written as the current time, read afresh for each value.
void writeOptional(bin::basic_ostream& out, const glo::Optional_t<glo::Time_t>& value);
// The seconds stored for an optional time: its own, or the current time when it is absent.
int32_t storedSeconds(const glo::Optional_t<glo::Time_t>& value);
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

// A track point: latitude, longitude, optional altitude, optional time, optional auxiliary
// value. Tracks hold millions of points, so these work on bytes in place.
constexpr std::size_t kTrackPointSize = 31;
void encodeTrackPoint(unsigned char* out, const TrackPoint_t& point);
// False (and `point` unchanged) for bytes that make no valid point.
bool decodeTrackPoint(const unsigned char* in, TrackPoint_t& point);

// Whether a point is held in memory byte for byte as encodeTrackPoint writes it, the seconds of an
// absent time aside (those are the current time, read when the point is written): then a track's
// points go to the file straight from the track's array.
constexpr bool kPointsHeldAsWritten = std::endian::native == std::endian::little &&
                                      sizeof(TrackPoint_t) == kTrackPointSize &&
                                      sizeof(geo::Position_t) == 17 && offsetof(TrackPoint_t, time) == 17 &&
                                      offsetof(TrackPoint_t, auxiliary) == 22;
// Writes the points one after another exactly as encodeTrackPoint makes them, in few large writes.
void writeTrackPoints(bin::basic_ostream& out, std::span<const TrackPoint_t> points);

} // namespace nav

#endif
