#ifndef HOST_CLI_TERMINALWIDTH_H
#define HOST_CLI_TERMINALWIDTH_H

#include <cstddef>

namespace host {

// Cells across the terminal standard output goes to; else $COLUMNS when it is a number; else 0,
// no limit, so that a table piped to a file or another program keeps every column.
std::size_t terminalWidth();

} // namespace host

#endif
