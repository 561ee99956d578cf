#ifndef GEO_GEO_BOX_H
#define GEO_GEO_BOX_H

#include "geo/GEO_Position.h"

namespace geo {

// A bounding box. It spans the longitudes from its west edge eastward to its east edge, wrapping
// at the antimeridian; both edges belong to it. An empty box covers nothing and has no edges.
class Box_t {
public:
    // The empty box.
    Box_t() = default;
    // A box with the given edges, taken unchanged (not normalised).
    // @exception glo::OutOfRange_t (GEO_Position line 63) for an invalid latitude.
    Box_t(int32_t north, int32_t south, int32_t east, int32_t west, glo::Optional_t<double> top = {},
          glo::Optional_t<double> bottom = {});
    // The normalised box with corners p (north-east) and q (south-west) before normalising.
    Box_t(const Position_t& p, const Position_t& q);

    bool empty() const { return m_empty; }
    const Position_t& northEast() const { return m_northEast; }
    const Position_t& southWest() const { return m_southWest; }

    // Edges; each raises glo::OutOfRange_t on an empty box.
    int32_t north() const;
    int32_t south() const;
    int32_t east() const;
    int32_t west() const;
    glo::Optional_t<double> top() const;
    glo::Optional_t<double> bottom() const;

    // @exception glo::OutOfRange_t (GEO_Position line 130) for an invalid latitude.
    void setNorth(int32_t latitude) { m_northEast.setLatitude(latitude); }
    void setSouth(int32_t latitude) { m_southWest.setLatitude(latitude); }
    void setTop(const glo::Optional_t<double>& top) { m_northEast.setAltitude(top); }
    void setBottom(const glo::Optional_t<double>& bottom) { m_southWest.setAltitude(bottom); }

    // Orders the latitudes, takes the shorter way round between the longitude edges, and pairs
    // the altitudes (both or neither, top >= bottom). Nothing happens on an empty box.
    void normalise();

    bool containsLongitude(int32_t longitude) const;
    bool overlapsLongitude(const Box_t& other) const;
    // East minus west modulo 2^32.
    uint32_t longitudeSpan() const;
    // Top minus bottom, or absent.
    glo::Optional_t<double> altitudeExtent() const;

    // The box covering both (not normalised: it may span more than half the globe).
    static Box_t unite(const Box_t& a, const Box_t& b);
    // The same, in place.
    Box_t& unite(const Box_t& other);
    // The same as unite(Box_t(p, q)), without building that box: appending a track point does this
    // for every leg.
    Box_t& uniteLeg(const Position_t& p, const Position_t& q);

    friend bool operator==(const Box_t& a, const Box_t& b) {
        return a.m_empty == b.m_empty && a.m_northEast == b.m_northEast && a.m_southWest == b.m_southWest;
    }

private:
    // A box that is not empty, by its raw edges; the altitudes count only as a pair.
    struct Edges_t {
        int32_t north, south, east, west;
        bool extent;
        double top, bottom;
    };
    Edges_t edges() const;
    void setEdges(const Edges_t& edges);
    void uniteEdges(const Edges_t& other);

    bool m_empty = true;
    Position_t m_northEast;
    Position_t m_southWest;
};

} // namespace geo

#endif
