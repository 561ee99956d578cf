#ifndef GLO_GLO_TIME_H
#define GLO_GLO_TIME_H

#include <cstdint>

namespace glo {

// A point in time: seconds since 1970-01-01 00:00:00 UTC, kept in the 32-bit range 0..2^31-1
// (up to 2038-01-19 03:14:07 UTC) on every platform.
class Time_t {
public:
    using Clock = int64_t (*)();

    explicit Time_t(int32_t seconds = 0) : m_seconds(seconds) {}

    // The calendar moment (month 1..12) in a zone `zoneOffset` seconds east of UTC.
    // @exception OutOfRange_t (line 62) when the moment is outside the 32-bit range.
    Time_t(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute, uint16_t second,
           double zoneOffset);

    // The system clock. @exception Assert_t (line 27) when the clock gives no usable time.
    static Time_t now();
    // Replaces the system clock (null restores it); for tests.
    // Null is the system clock. Returns the clock it replaces (null for the system clock).
    static Clock setClock(Clock clock);

    // Offset of the local zone's standard time from UTC, in seconds east, daylight saving excluded.
    static double standardUtcOffset();

    // 1989-12-31 00:00:00 UTC (631065600), the origin of handheld times.
    static Time_t trackTimeEpoch();

    // Moves this time by `seconds`, rounded half away from zero; only the low 32 bits of the
    // rounded amount count. @exception OutOfRange_t (line 130) when the 32-bit sum is negative.
    void addSeconds(double seconds);

    // a - b in seconds.
    static double difference(const Time_t& a, const Time_t& b) {
        return static_cast<double>(a.m_seconds) - static_cast<double>(b.m_seconds);
    }

    int32_t seconds() const { return m_seconds; }
    friend bool operator==(const Time_t& a, const Time_t& b) { return a.m_seconds == b.m_seconds; }
    friend bool operator<(const Time_t& a, const Time_t& b) { return a.m_seconds < b.m_seconds; }

private:
    int32_t m_seconds;
};

} // namespace glo

#endif
