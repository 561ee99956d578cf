#ifndef NAV_NAV_TRACKFILTER_H
#define NAV_NAV_TRACKFILTER_H

#include "nav/NAV_TrackPoint.h"

#include <array>
#include <cstdint>
#include <memory>

namespace nav {

class Track_t;

// Decides how a point offered to a track is added to it.
class TrackFilterIntf_t {
public:
    virtual ~TrackFilterIntf_t() = default;
    virtual bool addPoint(Track_t& track, const TrackPoint_t& point) = 0;
    virtual std::unique_ptr<TrackFilterIntf_t> clone() const = 0;
};

// Base of the configurable filters: a flag and six parameter words, carried as they are.
class TrackFilter_t : public TrackFilterIntf_t {
public:
    TrackFilter_t(bool flag, const std::array<uint32_t, 6>& words) : m_flag(flag), m_words(words) {}

protected:
    bool m_flag;
    std::array<uint32_t, 6> m_words;
};

// Appends every point unchanged; returns false.
class NullFilter_t : public TrackFilter_t {
public:
    NullFilter_t() : TrackFilter_t(true, {}) {}
    bool addPoint(Track_t& track, const TrackPoint_t& point) override;
    std::unique_ptr<TrackFilterIntf_t> clone() const override {
        return std::make_unique<NullFilter_t>(*this);
    }
};

} // namespace nav

#endif
