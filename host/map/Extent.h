#ifndef HOST_MAP_EXTENT_H
#define HOST_MAP_EXTENT_H

#include <algorithm>

namespace host {

// Kilometres in a degree of latitude (and of longitude at the equator) on the mean sphere.
constexpr double kKmPerDegree = 111.31949;

// A box in map degrees: x eastward from the map's west edge (so that a map across the antimeridian
// stays in one piece), y the latitude. Empty until something is added.
struct Extent_t {
    double west = 1e300, east = -1e300, south = 1e300, north = -1e300;

    bool empty() const { return west > east; }
    void add(double x, double y) {
        west = std::min(west, x);
        east = std::max(east, x);
        south = std::min(south, y);
        north = std::max(north, y);
    }
    void add(const Extent_t& other) {
        if (!other.empty()) {
            add(other.west, other.south);
            add(other.east, other.north);
        }
    }
};

// The shortest distance between two boxes, 0 when they touch or overlap.
double gapKm(const Extent_t& a, const Extent_t& b);

// The diagonal of a box.
double sizeKm(const Extent_t& extent);

} // namespace host

#endif
