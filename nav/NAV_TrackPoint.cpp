#include "nav/NAV_TrackPoint.h"

#include <cmath>

namespace nav {

namespace {
constexpr double kSemicirclesPerRadian = 683565275.5764323; // 2^31 / pi
constexpr double kEquatorialRadius = 6378137.0;
constexpr double kFlattening = 0.0033528106647474805;
constexpr double kShortLegSine = 0.00290435536;
} // namespace

void TrackSummary_t::mergeMeasures(const TrackSummary_t& later) {
    box.unite(later.box);
    distance += later.distance;
    areaSum += later.areaSum;
    if (later.duration.present())
        duration = duration.present() ? duration.get() + later.duration.get() : later.duration.get();
    if (later.minLatitude < minLatitude)
        minLatitude = later.minLatitude;
    if (later.maxLatitude > maxLatitude)
        maxLatitude = later.maxLatitude;
}

TrackSummary_t& TrackSummary_t::operator+=(const TrackSummary_t& later) {
    mergeMeasures(later);
    pointCount += later.pointCount;
    if (!firstPoint.present() && later.firstPoint.present())
        firstPoint = later.firstPoint;
    if (later.lastPoint.present())
        lastPoint = later.lastPoint;
    return *this;
}

UnitVector_t UnitVector_t::of(const geo::Position_t& position) {
    const double latitude = position.latitude() / kSemicirclesPerRadian;
    const double longitude = position.longitude() / kSemicirclesPerRadian;
    const double cosLatitude = std::cos(latitude);
    return {cosLatitude * std::cos(longitude), cosLatitude * std::sin(longitude), std::sin(latitude)};
}

double legDistance(const UnitVector_t& a, const UnitVector_t& b) {
    const double cx = a.y * b.z - a.z * b.y;
    const double cy = a.z * b.x - a.x * b.z;
    const double cz = a.x * b.y - a.y * b.x;
    const double cross = std::sqrt(cx * cx + cy * cy + cz * cz);
    const double dot = a.x * b.x + a.y * b.y + a.z * b.z;
    const double sigma = std::atan2(cross, dot);
    // sin(atan2(y, x)) is y / hypot(x, y): no second trigonometric call per leg.
    const double hypot = std::sqrt(cross * cross + dot * dot);
    const double sinSigma = hypot > 0 ? cross / hypot : 0.0;
    double correction = 0.0;
    // Short legs (and legs near the antipode, where 1 + cos sigma vanishes) need no correction.
    if (sinSigma > kShortLegSine) {
        const double cosSigma = std::cos(sigma);
        const double p = (a.z + b.z) * (a.z + b.z) / (1.0 + cosSigma);
        const double q = (a.z - b.z) * (a.z - b.z) / (1.0 - cosSigma);
        correction = 0.25 * kFlattening * (3.0 * sinSigma * (p - q) - sigma * (p + q));
    }
    return (sigma + correction) * kEquatorialRadius;
}

void TrackSummary_t::addLeg(const TrackPoint_t& a, const TrackPoint_t& b, const UnitVector_t& va,
                            const UnitVector_t& vb) {
    box.uniteLeg(a.position, b.position);
    distance += legDistance(va, vb);
    pointCount += 1;
    const double latA = a.position.latitude();
    const double lonA = a.position.longitude();
    const double latB = b.position.latitude();
    const double lonB = b.position.longitude();
    areaSum += lonA * latB - lonB * latA;
    if (a.time.present() && b.time.present()) {
        const double leg = std::fabs(glo::Time_t::difference(a.time.get(), b.time.get()));
        duration = duration.present() ? duration.get() + leg : leg;
    }
    const int32_t low =
        a.position.latitude() < b.position.latitude() ? a.position.latitude() : b.position.latitude();
    const int32_t high =
        a.position.latitude() > b.position.latitude() ? a.position.latitude() : b.position.latitude();
    if (low < minLatitude)
        minLatitude = low;
    if (high > maxLatitude)
        maxLatitude = high;
    // Set in place: assigning a point builds a temporary whose unaligned copy stalls every leg.
    if (!firstPoint.present())
        firstPoint.set(a);
    lastPoint.set(b);
}

} // namespace nav
