#ifndef HOST_HOTSYNC_HOTSYNCWORDS_H
#define HOST_HOTSYNC_HOTSYNCWORDS_H

#include "app/HostInterface.h"
#include "host/platform/HotSyncRoot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace host {

// What the host knows after a HotSync, to say what happened in words.
struct HotSyncFacts {
    app::HotSyncOutcome_t outcome; // what the conduit said it did
    int32_t syncType = 0;
    bool actionConfigured = false; // the action came from the user's configuration
    std::string userName;
    uint32_t codePage = 0;
    std::optional<User> user;
    std::optional<std::string> userProblem; // why users.ini refuses the user
    std::string handheldProblem;            // why the handheld's database could not be read
    const HotSyncRoot* root = nullptr;
};

// One sentence for a failed HotSync: the reason in words, from what the conduit said of it.
std::string failureWords(const HotSyncFacts& facts);

// Where in TrackDB the handheld's data was refused and why, for example "track log 'Lake loop',
// record 4, point 118: latitude 95.2 is outside -90..90"; nothing when the place names no value.
std::optional<std::string> refusedValueWords(const app::HandheldPlace_t& place, uint32_t codePage);

// Why the conduit's directory cannot take the file, found by trying: a missing directory, a file
// where it should be, no permission, a read-only or full disk; else the failure the conduit met.
std::string writeProblem(const std::string& directory, const std::string& file, std::error_code failure = {});

// 4213 as "4,213".
std::string withThousands(uint64_t value);

// "12 tracks, 4,213 points".
std::string countWords(uint64_t tracks, uint64_t points);

// "1 track", "4,213 points": the count and the noun, plural unless the count is 1.
std::string counted(uint64_t count, const std::string& noun);

} // namespace host

#endif
