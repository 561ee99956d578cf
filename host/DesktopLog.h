#ifndef HOST_DESKTOPLOG_H
#define HOST_DESKTOPLOG_H

#include "plm/PLM_Platform.h"

#include <cstdio>
#include <string>
#include <vector>

namespace host {

enum class LogFormat { Text, Jsonl };

// The HotSync log of the desktop host: every entry goes to standard output as it comes and is
// appended to <root>/HotSync.log.
class DesktopLog : public plm::HotSyncLog_t {
public:
    DesktopLog(std::string file, LogFormat format, uint32_t codePage, std::FILE* out = stdout);
    void logEntry(const char* text, int32_t activity, int32_t flag) override;
    // Starts a HotSync's block in the log file.
    void begin(const std::string& user);
    // Ends the output: with JSONL a last line {"result": N}.
    void finish(int32_t result);

private:
    std::string m_file;
    LogFormat m_format;
    uint32_t m_codePage;
    std::FILE* m_out;
};

} // namespace host

#endif
