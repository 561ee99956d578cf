#ifndef HOST_CLI_ACTIONNAMES_H
#define HOST_CLI_ACTIONNAMES_H

#include <cstdint>

namespace host {

// The conduit's two actions as the info and configure commands show them.
const char* actionName(int32_t action);

} // namespace host

#endif
