#include "nav/NAV_Track.h"

namespace nav {

bool NullFilter_t::addPoint(Track_t& track, const TrackPoint_t& point) {
    track.appendPoint(point);
    return false;
}

void TrackChunk_t::append(const TrackPoint_t* point, const UnitVector_t& vector) {
    if (m_points.empty()) {
        m_summary.addLeg(*point, *point, vector, vector);
        m_points = std::span<const TrackPoint_t>(point, 1);
    } else {
        m_summary.addLeg(m_points.back(), *point, m_lastVector, vector);
        m_points = std::span<const TrackPoint_t>(m_points.data(), m_points.size() + 1);
    }
    m_drawing.reset();
    m_lastVector = vector;
}

void TrackChunk_t::setDrawing(gdi::MetaFileHandle handle) {
    m_drawing = handle ? gdi::MetaFilePtr_t(new gdi::MetaFile_t(handle)) : gdi::MetaFilePtr_t();
}

Track_t::Track_t() {
    const NullFilter_t filter;
    m_filter.reset(filter.clone());
}

Track_t::Track_t(const Track_t& other)
    : m_displayFlag(other.m_displayFlag), m_color(other.m_color), m_points(other.m_points),
      m_chunks(other.m_chunks), m_summary(other.m_summary), m_filter(other.m_filter),
      m_drawingState(other.m_drawingState) {
    rebaseChunks();
}

Track_t& Track_t::operator=(const Track_t& other) {
    if (this != &other) {
        Track_t copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void Track_t::appendPoint(const TrackPoint_t& point) {
    // The point may be one of this track's own, which a move of the array would take away.
    const TrackPoint_t added = point;
    newPoint() = added;
    countLastPoint();
}

TrackPoint_t& Track_t::newPoint() {
    if (m_points.size() == m_points.capacity())
        reallocate(m_points.empty() ? TrackChunk_t::kCapacity : 2 * m_points.capacity());
    return m_points.emplace_back();
}

void Track_t::countLastPoint() {
    const TrackPoint_t* stored = &m_points.back();
    if (m_chunks.empty()) {
        m_chunks.emplace_back();
        m_chunks.back().m_first = 0;
        m_summary.firstPoint.set(*stored);
    } else if (m_chunks.back().points().size() == TrackChunk_t::kCapacity) {
        // The full chunk's last point, the one before the new point, is the new chunk's seam.
        const UnitVector_t seamVector = m_chunks.back().m_lastVector;
        m_chunks.emplace_back();
        m_chunks.back().m_first = m_points.size() - 2;
        m_chunks.back().append(stored - 1, seamVector);
    } else {
        // Take the last chunk's share out of the totals; it goes back in below, grown.
        const TrackSummary_t& share = m_chunks.back().summary();
        m_summary.distance -= share.distance;
        if (share.duration.present() && m_summary.duration.present())
            m_summary.duration = m_summary.duration.get() - share.duration.get();
        m_summary.areaSum -= share.areaSum;
    }

    TrackChunk_t& last = m_chunks.back();
    last.append(stored, UnitVector_t::of(stored->position));

    m_summary.mergeMeasures(last.summary());
    m_summary.lastPoint.set(*stored);
    m_summary.pointCount += 1;
}

void Track_t::clearPoints() {
    m_points = std::vector<TrackPoint_t>();
    m_chunks.clear();
    m_summary = TrackSummary_t();
}

void Track_t::reservePoints(std::size_t count) {
    if (count > m_points.capacity())
        reallocate(count);
    // The first chunk holds kCapacity points, each later one kCapacity - 1 and its seam.
    const std::size_t chunks = count <= TrackChunk_t::kCapacity ? 1
                                                                : 2 + (count - TrackChunk_t::kCapacity - 1) /
                                                                          (TrackChunk_t::kCapacity - 1);
    m_chunks.reserve(chunks);
}

void Track_t::releaseSpareRoom() {
    if (m_points.capacity() > m_points.size())
        reallocate(m_points.size());
    // The chunks' views look into the points, not into one another: the chunks may move.
    m_chunks.shrink_to_fit();
}

void Track_t::reallocate(std::size_t capacity) {
    std::vector<TrackPoint_t> moved;
    moved.reserve(capacity);
    moved.assign(m_points.begin(), m_points.end());
    m_points.swap(moved);
    rebaseChunks();
}

void Track_t::rebaseChunks() {
    for (TrackChunk_t& chunk : m_chunks)
        chunk.m_points =
            std::span<const TrackPoint_t>(m_points.data() + chunk.m_first, chunk.m_points.size());
}

} // namespace nav
