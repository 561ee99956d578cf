#ifndef TESTS_TESTSUPPORT_H
#define TESTS_TESTSUPPORT_H

#include "glo/GLO_Exception.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

inline Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Runs the statement and checks that it raises `Type` (or a class derived from it) with the given
// source and line.
#define EXPECT_RAISES(statement, Type, sourceText, lineNumber)                                               \
    do {                                                                                                     \
        try {                                                                                                \
            statement;                                                                                       \
            ADD_FAILURE() << "no exception from " #statement;                                                \
        } catch (const Type& e) {                                                                            \
            EXPECT_STREQ(e.source(), sourceText);                                                            \
            EXPECT_EQ(e.line(), lineNumber);                                                                 \
        }                                                                                                    \
    } while (0)

// Sets TZ for the life of the object and restores it afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            m_old = old, m_hadOld = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadOld)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};

// Zones that the time code must not depend on: daylight saving, half-hour and quarter-hour offsets.
inline const std::vector<const char*>& timeZones() {
    static const std::vector<const char*> zones = {"UTC", "America/New_York", "Australia/Adelaide",
                                                   "Asia/Kathmandu", "Asia/Kolkata"};
    return zones;
}

} // namespace testsupport

#endif
