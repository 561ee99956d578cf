#include "host/exports/Antimeridian.h"

#include "host/text/ShortestNumber.h"

#include <algorithm>

namespace host {

namespace {

// Longitudes are followed unwrapped, in 64-bit semicircles: a part lies within one turn,
// -2^31 (-180 degrees) to 2^31 (180 degrees), both ends included.
constexpr int64_t kHalfTurn = int64_t{1} << 31;
constexpr int64_t kTurn = int64_t{1} << 32;
constexpr double kDegreesPerSemicircle = 180.0 / 2147483648.0;

double elevationOf(const geo::Position_t& position, bool withElevations) {
    return withElevations ? position.altitude().get() : 0.0;
}

LinePoint_t linePoint(int64_t unwrapped, const geo::Position_t& position, bool withElevations) {
    return {static_cast<double>(unwrapped) * kDegreesPerSemicircle,
            position.latitude() * kDegreesPerSemicircle, elevationOf(position, withElevations)};
}

// An elevation made between two of the handheld's floats is a float too (it lies between them,
// so in the float range), so that it reads as short as theirs.
double elevationBetween(double from, double to, double share) {
    const double value = std::clamp(from + share * (to - from), std::min(from, to), std::max(from, to));
    return heldByFloat(from) && heldByFloat(to) ? static_cast<double>(static_cast<float>(value)) : value;
}

} // namespace

std::vector<LinePart_t> cutAtAntimeridian(const std::vector<const geo::Position_t*>& positions,
                                          bool withElevations) {
    std::vector<LinePart_t> parts;
    if (positions.empty())
        return parts;
    parts.emplace_back();
    int64_t previous = positions.front()->longitude();
    parts.back().push_back(linePoint(previous, *positions.front(), withElevations));
    for (std::size_t i = 1; i < positions.size(); ++i) {
        const geo::Position_t& from = *positions[i - 1];
        const geo::Position_t& to = *positions[i];
        // The leg the shorter way round, as a signed step.
        const auto step = static_cast<int32_t>(geo::longitudeDelta(to.longitude(), from.longitude()));
        int64_t next = previous + step;
        if (next > kHalfTurn || next < -kHalfTurn) {
            const int64_t seam = next > kHalfTurn ? kHalfTurn : -kHalfTurn;
            const double share = static_cast<double>(seam - previous) / static_cast<double>(next - previous);
            const LinePoint_t& last = parts.back().back();
            const LinePoint_t end = linePoint(next, to, withElevations);
            const double latitude = last.latitude + share * (end.latitude - last.latitude);
            const double elevation =
                withElevations ? elevationBetween(last.elevation, end.elevation, share) : 0.0;
            const double seamDegrees = static_cast<double>(seam) * kDegreesPerSemicircle;
            // A point already on the antimeridian ends its part itself.
            if (previous != seam)
                parts.back().push_back({seamDegrees, latitude, elevation});
            // A part of that one point alone says nothing the next part does not.
            if (parts.back().size() < 2)
                parts.pop_back();
            parts.emplace_back();
            parts.back().push_back({-seamDegrees, latitude, elevation});
            next += seam > 0 ? -kTurn : kTurn;
        }
        parts.back().push_back(linePoint(next, to, withElevations));
        previous = next;
    }
    return parts;
}

} // namespace host
