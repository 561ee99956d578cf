#include "FuzzSession.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <streambuf>
#include <string>
#include <unistd.h>

namespace fuzzing {

namespace {

namespace fs = std::filesystem;

// The server's words on standard error would drown the fuzzer's own.
class Silence_t : public std::streambuf {
protected:
    int overflow(int c) override { return c == EOF ? 0 : c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// Standard error silenced while it lives, and given back after.
class Silenced_t {
public:
    Silenced_t() : m_before(std::cerr.rdbuf(&m_silence)) {}
    ~Silenced_t() { std::cerr.rdbuf(m_before); }
    Silenced_t(const Silenced_t&) = delete;
    Silenced_t& operator=(const Silenced_t&) = delete;

private:
    Silence_t m_silence;
    std::streambuf* m_before;
};

const std::string& scratchRoot() {
    // Never destroyed, so that the clean-up at exit can still name it.
    static const std::string& root = *new std::string([] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string path = std::string(dir) + "/pathlet_fuzz_root_" + std::to_string(getpid());
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(scratchRoot(), ignored);
        });
        return path;
    }());
    return root;
}

// The same root for every input: what one HotSync wrote must not change the next.
void freshRoot(const std::string& root) {
    fs::remove_all(root);
    fs::create_directories(root + "/Fuzz/Pathlet");
    if (FILE* users = std::fopen((root + "/users.ini").c_str(), "wb")) {
        std::fputs("[Fuzz]\nid=1\ndir=Fuzz\n", users);
        std::fclose(users);
    }
}

} // namespace

host::SyncOutcome runHotSync(std::unique_ptr<dlp::Transport_t> transport, bool netSyncHandshake) {
    const Silenced_t silenced;
    const std::string& root = scratchRoot();
    freshRoot(root);
    host::SyncOptions options;
    options.root = root;
    options.addUsers = true;
    options.hotsync.patience = std::chrono::milliseconds(0);
    host::Arrival_t arrival;
    arrival.transport = std::move(transport);
    arrival.netSyncHandshake = netSyncHandshake;
    arrival.where = "the fuzzer's input";
    return host::syncOneHandheld(std::move(arrival), options);
}

} // namespace fuzzing
