#include "host/text/ShortestNumber.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace host {

namespace {

template <class Number> std::string written(Number value, bool fixed) {
    // Fixed decimals of the smallest doubles run to several hundred digits.
    char text[400];
    const std::to_chars_result result =
        fixed ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
              : std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace

// Narrowing a double beyond the float range is undefined, hence the range first.
bool heldByFloat(double value) {
    return std::fabs(value) <= std::numeric_limits<float>::max() &&
           static_cast<double>(static_cast<float>(value)) == value;
}

std::string shortestText(double value, bool fixed) {
    if (value == 0 && std::signbit(value))
        return "-0.0"; // "-0" reads back as the integer 0 in many readers
    return heldByFloat(value) ? written(static_cast<float>(value), fixed) : written(value, fixed);
}

} // namespace host
