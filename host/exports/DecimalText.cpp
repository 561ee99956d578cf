#include "host/exports/DecimalText.h"

#include "host/text/ShortestNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace host {

namespace {

constexpr int kDecimalDigits = 24;

std::size_t digitCount(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

// `exact` (a fixed decimal of `value`) when it has at most 24 digits, else `value` rounded to 24.
std::string fitted(std::string exact, double value) {
    if (digitCount(exact) <= kDecimalDigits)
        return exact;
    const int whole =
        std::fabs(value) < 1 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    char text[400];
    const auto rounded = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                       std::max(0, kDecimalDigits - whole));
    std::string result(text, rounded.ptr);
    if (result.find('.') != std::string::npos) {
        while (result.back() == '0')
            result.pop_back();
        if (result.back() == '.')
            result.pop_back();
    }
    return result;
}

} // namespace

std::string coordinateText(double degrees) {
    char text[400];
    const auto exact = std::to_chars(text, text + sizeof text, degrees, std::chars_format::fixed);
    return fitted(std::string(text, exact.ptr), degrees);
}

std::optional<std::string> elevationText(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e24)
        return std::nullopt;
    return fitted(shortestText(value, true), value);
}

} // namespace host
