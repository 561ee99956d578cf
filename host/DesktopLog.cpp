#include "DesktopLog.h"

#include <ctime>
#include <fstream>

namespace host {

namespace {

// Windows-1252 bytes 0x80..0x9F as Unicode code points (0 where the code page has none).
constexpr uint16_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

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

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else if (u >= 0x80) {
            const uint32_t code = u < 0xA0 ? kHighControls[u - 0x80] : u;
            appendUtf8(out, code ? code : 0xFFFD);
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

DesktopLog::DesktopLog(std::string file, LogFormat format, std::FILE* out)
    : m_file(std::move(file)), m_format(format), m_out(out) {}

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
        std::fprintf(m_out, "{\"activity\": %d, \"text\": %s}\n", activity, jsonString(entry).c_str());
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
