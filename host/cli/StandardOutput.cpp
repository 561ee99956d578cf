#include "host/cli/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>
#include <system_error>

namespace host {

int finishOutput(int status) {
    const bool failedBefore = !std::cout || std::ferror(stdout);
    errno = 0;
    std::cout.flush();
    const int error = failedBefore ? 0 : errno;
    if (std::cout && std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    // A write that failed before this flush took its reason with it.
    std::cerr << "pathlet: cannot write to standard output"
              << (error != 0
                      ? ": " + std::generic_category().message(error)
                      : std::string(" (a full disk, or a reader that went away); what it got is incomplete"))
              << "\n";
    return 1;
}

} // namespace host
