#include "DesktopLog.h"

#include "Utf8Text.h"

#include <ctime>
#include <fstream>

namespace host {

namespace {

std::string indented(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out.push_back(c);
        if (c == '\n')
            out += "    ";
    }
    return out;
}

} // namespace

DesktopLog::DesktopLog(std::string file, LogFormat format, uint32_t codePage, std::FILE* out)
    : m_file(std::move(file)), m_format(format), m_codePage(codePage), m_out(out) {}

void DesktopLog::begin(const std::string& user) {
    std::ofstream file(m_file, std::ios::app);
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    file << "--- HotSync of " << user << " at " << stamp << "\n";
}

void DesktopLog::logEntry(const char* text, int32_t activity, int32_t) {
    const std::string entry = text ? text : "";
    if (m_format == LogFormat::Jsonl)
        std::fprintf(m_out, "{\"activity\": %d, \"text\": %s}\n", activity,
                     jsonString(entry, m_codePage).c_str());
    else
        std::fprintf(m_out, "%d %s\n", activity, indented(entry).c_str());
    std::fflush(m_out);
    std::ofstream file(m_file, std::ios::app);
    file << activity << ' ' << indented(entry) << '\n';
}

void DesktopLog::finish(int32_t result) {
    if (m_format == LogFormat::Jsonl)
        std::fprintf(m_out, "{\"result\": %d}\n", result);
    std::fflush(m_out);
}

} // namespace host
