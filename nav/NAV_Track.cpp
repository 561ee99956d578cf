#include "nav/NAV_Track.h"

namespace nav {

bool NullFilter_t::addPoint(Track_t& track, const TrackPoint_t& point) {
    track.appendPoint(point);
    return false;
}

void TrackChunk_t::append(const TrackPoint_t& point) {
    const UnitVector_t vector = UnitVector_t::of(point.position);
    if (m_points.empty()) {
        m_summary.addLeg(point, point, vector, vector);
        m_points.reserve(kCapacity);
    } else {
        m_summary.addLeg(m_points.back(), point, m_lastVector, vector);
    }
    m_drawing.reset();
    m_points.push_back(point);
    m_lastVector = vector;
}

void TrackChunk_t::setDrawing(gdi::MetaFileHandle handle) {
    m_drawing = handle ? gdi::MetaFilePtr_t(new gdi::MetaFile_t(handle)) : gdi::MetaFilePtr_t();
}

Track_t::Track_t() {
    const NullFilter_t filter;
    m_filter.reset(filter.clone());
}

void Track_t::appendPoint(const TrackPoint_t& point) {
    if (m_chunks.empty()) {
        m_chunks.emplace_back();
        m_summary.firstPoint = point;
    } else if (m_chunks.back().points().size() == TrackChunk_t::kCapacity) {
        const TrackPoint_t seam = m_chunks.back().points().back();
        m_chunks.emplace_back();
        m_chunks.back().append(seam);
    } else {
        // Take the last chunk's share out of the totals; it goes back in below, grown.
        const TrackSummary_t& share = m_chunks.back().summary();
        m_summary.distance -= share.distance;
        if (share.duration.present() && m_summary.duration.present())
            m_summary.duration = m_summary.duration.get() - share.duration.get();
        m_summary.areaSum -= share.areaSum;
    }

    TrackChunk_t& last = m_chunks.back();
    last.append(point);

    m_summary.mergeMeasures(last.summary());
    m_summary.lastPoint = point;
    m_summary.pointCount += 1;
}

void Track_t::clearPoints() {
    m_chunks.clear();
    m_summary = TrackSummary_t();
}

} // namespace nav
