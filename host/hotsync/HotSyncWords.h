#ifndef HOST_HOTSYNC_HOTSYNCWORDS_H
#define HOST_HOTSYNC_HOTSYNCWORDS_H

#include "host/platform/DesktopLog.h"
#include "host/platform/HotSyncRoot.h"

#include <cstdint>
#include <optional>
#include <string>

namespace host {

// What the host knows after a HotSync, to say what happened in words.
struct HotSyncFacts {
    int32_t result = 0;
    int32_t syncType = 0;
    bool actionConfigured = false; // the action came from the user's configuration
    std::string userName;
    uint32_t codePage = 0;
    std::optional<User> user;
    std::optional<std::string> userProblem; // why users.ini refuses the user
    std::string handheldProblem;            // why the handheld's database could not be read
    const DesktopLog* log = nullptr;
    const HotSyncRoot* root = nullptr;
};

// The source file and line of the conduit's failure line ("CONDUIT.CPP", 123), if one was logged.
struct FailurePlace {
    std::string source;
    int line = 0;
    std::string message;
};
std::optional<FailurePlace> failurePlace(const DesktopLog& log);

// One sentence for a failed HotSync: the reason in words, whatever the conduit's line.
std::string failureWords(const HotSyncFacts& facts);

// Why the conduit's directory cannot take the file, found by trying: a missing directory, a file
// where it should be, no permission, a read-only or full disk.
std::string writeProblem(const std::string& directory, const std::string& file);

// 4213 as "4,213".
std::string withThousands(uint64_t value);

// "12 tracks, 4,213 points".
std::string countWords(uint64_t tracks, uint64_t points);

} // namespace host

#endif
