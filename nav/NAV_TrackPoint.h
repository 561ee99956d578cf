#ifndef NAV_NAV_TRACKPOINT_H
#define NAV_NAV_TRACKPOINT_H

#include "geo/GEO_Box.h"
#include "geo/GEO_Packed.h"
#include "geo/GEO_Position.h"
#include "glo/GLO_Optional.h"
#include "glo/GLO_Time.h"

#include <cstdint>

namespace nav {

// One recorded point of a track: 31 bytes without padding, a track's points being most of a
// HotSync's memory. The values read and convert like glo::Optional_t.
struct TrackPoint_t {
    geo::Position_t position;
    geo::PackedOptional_t<glo::Time_t> time; // absent when the handheld gave none
    geo::PackedOptional_t<double> auxiliary; // the handheld's third per-point value, carried unchanged
};

// A point on the unit sphere, the form in which leg distances are computed.
struct UnitVector_t {
    double x, y, z;
    static UnitVector_t of(const geo::Position_t& position);
};

// Running statistics of a track or of one chunk of it. Distances in metres, durations in
// seconds, latitudes in semicircles; `areaSum` is the shoelace sum in raw position units.
struct TrackSummary_t {
    geo::Box_t box;
    double distance = 0.0;
    int32_t pointCount = 0;
    glo::Optional_t<double> duration;
    glo::Optional_t<TrackPoint_t> firstPoint;
    glo::Optional_t<TrackPoint_t> lastPoint;
    double areaSum = 0.0;
    int32_t minLatitude = geo::kMaxLatitude;
    int32_t maxLatitude = geo::kMinLatitude;

    // Adds the statistics of the points that follow (this += later).
    TrackSummary_t& operator+=(const TrackSummary_t& later);
    // The part of += that adds up: box, distance, duration, area sum and latitude range (not the
    // point count, nor the first and last points).
    void mergeMeasures(const TrackSummary_t& later);

    // Adds the leg from a to b (a and b may be the same point; va and vb their unit vectors).
    void addLeg(const TrackPoint_t& a, const TrackPoint_t& b, const UnitVector_t& va, const UnitVector_t& vb);
};

// Great-circle distance in metres on the reference ellipsoid's equatorial radius, with the
// flattening correction for legs longer than about 18 km.
double legDistance(const UnitVector_t& a, const UnitVector_t& b);

} // namespace nav

#endif
