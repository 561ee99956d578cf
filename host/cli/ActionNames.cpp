#include "host/cli/ActionNames.h"

#include "app/ConduitApi.h"

namespace host {

const char* actionName(int32_t action) {
    return action == kActionHandheldToDesktop ? "handheld overwrites desktop"
           : action == kActionDoNothing       ? "do nothing"
                                              : "unknown";
}

} // namespace host
