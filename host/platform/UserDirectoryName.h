#ifndef HOST_PLATFORM_USERDIRECTORYNAME_H
#define HOST_PLATFORM_USERDIRECTORYNAME_H

#include <string>

namespace host {

// The directory name derived from a user name (UTF-8): letters of any script, digits, '-', '_'
// and '.' are kept, anything else becomes '_' (blanks, slashes, controls, bytes that are not
// UTF-8); never "." or "..", never empty, never longer than a file name may be.
std::string directoryNameFor(const std::string& userName);

// Names the HotSync root already uses for its own files; a user's directory never takes them.
bool isRootFileName(const std::string& name);

} // namespace host

#endif
