#include "host/link/Link.h"

namespace host {

std::string handheldLine(const std::string& text) {
    constexpr std::size_t kMost = 200;
    std::string line = "Pathlet: " + text;
    return line.size() <= kMost ? line : line.substr(0, kMost - 3) + "...";
}

bool Link_t::refuseBusy(Arrival_t&) {
    return false;
}

} // namespace host
