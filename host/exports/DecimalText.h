#ifndef HOST_EXPORTS_DECIMALTEXT_H
#define HOST_EXPORTS_DECIMALTEXT_H

// Numbers in the text exports (GPX, KML, CSV): plain decimals, no exponent, as XML Schema's
// decimal has them; validators take 24 digits.

#include <optional>
#include <string>

namespace host {

// A coordinate in degrees: the shortest decimal that reads back as the same double.
std::string coordinateText(double degrees);

// An elevation: the shortest decimal that reads back as the same value in the type it has (a
// handheld's float as that float, see shortestText). One with more than 24 digits is rounded to
// 24; none when no decimal holds it (not finite, or 1e24 or more).
std::optional<std::string> elevationText(double value);

} // namespace host

#endif
