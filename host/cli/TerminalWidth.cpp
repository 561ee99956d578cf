#include "host/cli/TerminalWidth.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace host {

std::size_t terminalWidth() {
    winsize size{};
    if (::isatty(STDOUT_FILENO) && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        std::size_t value = 0;
        const char* end = columns + std::strlen(columns);
        const auto [stop, error] = std::from_chars(columns, end, value);
        if (error == std::errc() && stop == end)
            return value;
    }
    return 0;
}

} // namespace host
