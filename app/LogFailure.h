#ifndef APP_LOGFAILURE_H
#define APP_LOGFAILURE_H

#include "app/HostInterface.h"

#include <string>

namespace app {

// The failure line: upper-cased file name and extension of `source`, "-", line, "-", version; a
// beta stamp in builds not labelled for release; then "\n" and the message, if any.
std::string failureLine(const char* source, int line, const std::string& message);

// Writes the abort entry and the failure line to the HotSync log.
void LogFailure(const char* source, int line, const std::string& message);

} // namespace app

#endif
