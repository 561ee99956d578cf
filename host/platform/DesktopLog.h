#ifndef HOST_PLATFORM_DESKTOPLOG_H
#define HOST_PLATFORM_DESKTOPLOG_H

#include "plm/PLM_Platform.h"

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace host {

enum class LogFormat { Text, Jsonl };

// What an activity code of the HotSync log means, in a word ("start", "failure", ...).
const char* activityName(int32_t activity);

// The HotSync log of the desktop host: every entry goes to standard output as it comes; a
// HotSync's block (a heading, its entries) is appended to <root>/HotSync.log in one piece when
// it ends, so that the blocks of concurrent HotSyncs never interleave.
class DesktopLog : public plm::HotSyncLog_t {
public:
    DesktopLog(std::string file, LogFormat format, uint32_t codePage, std::FILE* out = stdout);
    // Appends what was not appended yet.
    ~DesktopLog() override;
    void logEntry(const char* text, int32_t activity, int32_t flag) override;
    // Starts a HotSync's block.
    void begin(const std::string& user);
    // Ends the output (with JSONL a last line {"result": N}) and appends the block to the file.
    // Throws std::runtime_error when the file cannot be appended to.
    void finish(int32_t result);

    // The entries so far.
    struct Entry {
        int32_t activity;
        std::string text;
    };
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    void appendBlock();
    std::string m_file;
    LogFormat m_format;
    uint32_t m_codePage;
    std::FILE* m_out;
    std::string m_block;
    std::vector<Entry> m_entries;
};

// "2026-12-09 14:03:22": a moment in the desktop's local time (TZ), as HotSync.log and the
// terminal say when a HotSync began.
std::string localStamp(std::time_t when);

} // namespace host

#endif
