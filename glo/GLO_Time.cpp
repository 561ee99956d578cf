#include "glo/GLO_Time.h"

#include "glo/GLO_Exception.h"

#include <cmath>
#include <ctime>

namespace glo {

namespace {

constexpr const char* kSource = "GLO_Time.cpp";
constexpr int64_t kLatest = 2147483647;

// The re-entrant calendar breakdowns, as each C library spells them.
bool breakDownLocal(const std::time_t& t, std::tm& fields) {
#ifdef _WIN32
    return localtime_s(&fields, &t) == 0;
#else
    return localtime_r(&t, &fields) != nullptr;
#endif
}

bool breakDownUtc(const std::time_t& t, std::tm& fields) {
#ifdef _WIN32
    return gmtime_s(&fields, &t) == 0;
#else
    return gmtime_r(&t, &fields) != nullptr;
#endif
}

int64_t systemClock() {
    return static_cast<int64_t>(std::time(nullptr));
}

Time_t::Clock g_clock = &systemClock;

// Days from 1970-01-01 to the given proleptic Gregorian date (month 1..12, day may run over).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

Time_t::Time_t(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute, uint16_t second,
               double zoneOffset)
    : m_seconds(0) {
    // The runtime's local conversion of (fields + standard offset) as local standard time gives
    // exactly this UTC sum, whatever the local zone; computing it directly avoids a calendar
    // round trip per call.
    if (!std::isfinite(zoneOffset))
        throw OutOfRange_t(kSource, 62);
    // Months out of 1..12 carry into the year, as the runtime's conversion normalises them.
    const int64_t monthIndex = int64_t{month} - 1;
    const int64_t carry = monthIndex < 0 ? -1 : monthIndex / 12;
    const double rounded = std::round(static_cast<double>(second) - zoneOffset);
    if (std::fabs(rounded) > 1e12)
        throw OutOfRange_t(kSource, 62);
    const int64_t total = daysFromCivil(year + carry, monthIndex - carry * 12 + 1, day) * 86400 +
                          int64_t{hour} * 3600 + int64_t{minute} * 60 + static_cast<int64_t>(rounded);
    if (total < 0 || total > kLatest)
        throw OutOfRange_t(kSource, 62);
    m_seconds = static_cast<int32_t>(total);
}

Time_t Time_t::now() {
    const int64_t seconds = g_clock();
    if (seconds < 0 || seconds > kLatest)
        throw Assert_t(kSource, 27);
    return Time_t(static_cast<int32_t>(seconds));
}

Time_t::Clock Time_t::setClock(Clock clock) {
    const Clock previous = g_clock == &systemClock ? nullptr : g_clock;
    g_clock = clock ? clock : &systemClock;
    return previous;
}

double Time_t::standardUtcOffset() {
    const std::time_t t = std::time(nullptr);
    if (t == static_cast<std::time_t>(-1))
        throw Assert_t(kSource, 297);
    std::tm local{};
    if (!breakDownLocal(t, local))
        throw Assert_t(kSource, 300);
    std::tm utc{};
    if (!breakDownUtc(t, utc))
        throw Assert_t(kSource, 304);
    // The local fields convert back to t itself; the UTC fields, read as local standard time, give
    // t less the standard offset, whatever daylight saving is in force.
    utc.tm_isdst = 0;
    return std::difftime(std::mktime(&local), std::mktime(&utc));
}

Time_t Time_t::trackTimeEpoch() {
    static const Time_t epoch(1989, 12, 31, 0, 0, 0, 0.0);
    return epoch;
}

void Time_t::addSeconds(double seconds) {
    if (!std::isfinite(seconds))
        throw OutOfRange_t(kSource, 130);
    // Low 32 bits of the rounded amount, taken without overflowing for any finite input.
    double low = std::fmod(std::round(seconds), 4294967296.0);
    if (low < 0)
        low += 4294967296.0;
    const auto amount = static_cast<int32_t>(static_cast<uint32_t>(low));
    const auto wrapped =
        static_cast<int32_t>(static_cast<uint32_t>(m_seconds) + static_cast<uint32_t>(amount));
    if (wrapped < 0)
        throw OutOfRange_t(kSource, 130);
    const int64_t sum = int64_t{m_seconds} + amount;
    if (sum < 0 || sum > kLatest)
        throw OutOfRange_t(kSource, 141);
    m_seconds = static_cast<int32_t>(sum);
}

} // namespace glo
