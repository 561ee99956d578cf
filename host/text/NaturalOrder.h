#ifndef HOST_TEXT_NATURALORDER_H
#define HOST_TEXT_NATURALORDER_H

#include <string_view>

namespace host {

// Names in the order people expect: runs of digits compare as numbers ("Walk 2" before
// "Walk 10"), the rest byte by byte.
bool naturalLess(std::string_view a, std::string_view b);

} // namespace host

#endif
