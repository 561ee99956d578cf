#ifndef HOST_HOTSYNC_SYNCTYPES_H
#define HOST_HOTSYNC_SYNCTYPES_H

// The sync types a HotSync Manager passes to a conduit. The conduit copies only for handheld to
// desktop; for every other type it does nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct SyncType_t {
    int32_t number;
    const char* name;  // as the command line takes it
    const char* words; // as a sentence says it
};

// 0 fast, 1 slow, 2 handheld to desktop, 3 desktop to handheld, 4 install, 5 backup, 6 do nothing,
// 7 profile install.
const std::vector<SyncType_t>& syncTypes();

// A sync type by number or by name (any case); nothing for a word that is neither.
std::optional<int32_t> parseSyncType(const std::string& text);

// "Do nothing", "Fast sync"; "sync type 9" for a number no HotSync Manager passes.
std::string syncTypeWords(int32_t number);

} // namespace host

#endif
