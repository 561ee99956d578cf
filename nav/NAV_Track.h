#ifndef NAV_NAV_TRACK_H
#define NAV_NAV_TRACK_H

#include "gdi/GDI_MetaFile.h"
#include "glo/GLO_AutoPtr.h"
#include "map/MAP_ScrnRect.h"
#include "nav/NAV_Color.h"
#include "nav/NAV_TrackFilter.h"
#include "nav/NAV_TrackPoint.h"

#include <cstdint>
#include <span>
#include <vector>

namespace nav {

// A block of at most 100 points with their own statistics and cached picture. Every chunk after
// the first starts with the previous chunk's last point (its seam point), so that each chunk can
// be drawn and measured on its own. The points are a view into the track's one array of points:
// the seam point is shared, not copied.
class TrackChunk_t {
public:
    static constexpr std::size_t kCapacity = 100;

    std::span<const TrackPoint_t> points() const { return m_points; }
    const TrackSummary_t& summary() const { return m_summary; }
    const gdi::MetaFilePtr_t& drawing() const { return m_drawing; }

    // A non-null handle becomes the shared picture; null leaves the chunk without one.
    void setDrawing(gdi::MetaFileHandle handle);

private:
    friend class Track_t;

    // Takes the point that follows the chunk's view in the track's array, and its leg from the
    // chunk's last point (a first point makes a leg with itself); forgets the cached picture.
    void append(const TrackPoint_t* point, const UnitVector_t& vector);

    std::size_t m_first = 0; // where the view starts in the track's array
    std::span<const TrackPoint_t> m_points;
    TrackSummary_t m_summary;
    gdi::MetaFilePtr_t m_drawing;
    UnitVector_t m_lastVector{}; // of the last point, so each leg converts only its new end
    [[maybe_unused]] uint32_t m_reserved[2] = {0, 0};
};

// Projection state of the drawing code; never serialised.
struct DrawingState_t {
    bool valid = false;
    double scale = 2147483648.0;
    geo::Position_t reference;
    map::ScrnRect_t screen{0, 0, 0, 0};
};

// A track: its points in one array, chunks over it, a colour, a display flag, and statistics kept
// up to date on every append at a constant cost per point.
class Track_t {
public:
    Track_t();
    Track_t(const Track_t& other); // the filter is cloned
    Track_t& operator=(const Track_t& other);
    Track_t(Track_t&&) noexcept = default; // the array moves whole: the chunks' views stay valid
    Track_t& operator=(Track_t&&) noexcept = default;

    void appendPoint(const TrackPoint_t& point);
    // Appends the point that `decode(point)` writes straight into the track's array, so that no
    // copy of it is made on the way. `decode` returns whether it made a whole point; when it does
    // not, or throws, the track is left as it was.
    template <class Decode> bool appendDecoded(Decode&& decode) {
        TrackPoint_t& point = newPoint();
        bool whole = false;
        try {
            whole = decode(point);
        } catch (...) {
            m_points.pop_back();
            throw;
        }
        if (!whole) {
            m_points.pop_back();
            return false;
        }
        countLastPoint();
        return true;
    }
    // Removes every point and resets the statistics; colour, flag, filter and drawing stay.
    void clearPoints();
    // Makes room for `count` points in all, so that appending up to that many allocates nothing.
    void reservePoints(std::size_t count);
    // Gives back the room reserved beyond the points held.
    void releaseSpareRoom();

    bool displayFlag() const { return m_displayFlag; }
    void setDisplayFlag(bool shown) { m_displayFlag = shown; }
    Color_t color() const { return m_color; }
    void setColor(Color_t color) { m_color = color; }
    const std::vector<TrackChunk_t>& chunks() const { return m_chunks; }
    const TrackSummary_t& summary() const { return m_summary; }
    TrackFilterIntf_t& filter() const { return m_filter.required(); }
    const DrawingState_t& drawingState() const { return m_drawingState; }

    // Every point once, in order.
    std::span<const TrackPoint_t> points() const { return m_points; }
    // Calls `visit(point)` for every point once, in order.
    template <class Visit> void forEachPoint(Visit&& visit) const {
        for (const TrackPoint_t& point : m_points)
            visit(point);
    }

private:
    // A blank point at the end of the array, not yet counted in the chunks and statistics.
    TrackPoint_t& newPoint();
    // Counts the array's last point in the chunks and statistics.
    void countLastPoint();
    // Moves the array to a new capacity and points the chunks' views at it.
    void reallocate(std::size_t capacity);
    // Points the chunks' views at their places in the array, after it moved.
    void rebaseChunks();

    bool m_displayFlag = true;
    Color_t m_color = DefaultColor;
    std::vector<TrackPoint_t> m_points;
    std::vector<TrackChunk_t> m_chunks;
    TrackSummary_t m_summary;
    glo::AutoPtr_t<TrackFilterIntf_t> m_filter;
    DrawingState_t m_drawingState;
};

} // namespace nav

#endif
