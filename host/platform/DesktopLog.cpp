#include "host/platform/DesktopLog.h"

#include "app/HostInterface.h"

#include "host/text/JsonWriter.h"
#include "host/text/Utf8Text.h"

#include "glo/GLO_ReplacingFile.h"

#include <ctime>
#include <stdexcept>
#include <system_error>

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

const char* activityName(int32_t activity) {
    switch (activity) {
    case app::kLogText:
        return "text";
    case app::kLogStart:
        return "start";
    case app::kLogFinish:
        return "finish";
    case app::kLogAbort:
        return "abort";
    case app::kLogFailure:
        return "failure";
    default:
        return "entry";
    }
}

DesktopLog::DesktopLog(std::string file, LogFormat format, uint32_t codePage, std::FILE* out)
    : m_file(std::move(file)), m_format(format), m_codePage(codePage), m_out(out) {}

DesktopLog::~DesktopLog() {
    try {
        appendBlock();
    } catch (const std::exception&) {
        // finish() reports it; nothing can be done about it here
    }
}

std::string localStamp(std::time_t when) {
    char stamp[32];
    std::tm local{};
    localtime_r(&when, &local);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    return stamp;
}

void DesktopLog::begin(const std::string& user) {
    m_block += "--- HotSync of " + user + " at " + localStamp(std::time(nullptr)) + "\n";
}

// The conduit's text stays exact; the word for the code stands between the code and the text.
void DesktopLog::logEntry(const char* text, int32_t activity, int32_t) {
    const std::string entry = text ? text : "";
    m_entries.push_back({activity, entry});
    std::string line = std::to_string(activity) + " " + activityName(activity);
    if (!entry.empty())
        line += ": " + indented(entry);
    if (m_format == LogFormat::Jsonl) {
        JsonWriter json;
        json.beginObject().key("activity").integer(activity).key("entry").string(activityName(activity));
        json.key("text").string(fromCodePage(entry, m_codePage)).endObject();
        std::fprintf(m_out, "%s\n", json.text().c_str());
    } else {
        std::fprintf(m_out, "%s\n", line.c_str());
    }
    std::fflush(m_out);
    m_block += line + "\n";
}

void DesktopLog::finish(int32_t result) {
    if (m_format == LogFormat::Jsonl) {
        JsonWriter json;
        json.beginObject().key("result").integer(result).endObject();
        std::fprintf(m_out, "%s\n", json.text().c_str());
    }
    std::fflush(m_out);
    appendBlock();
}

void DesktopLog::appendBlock() {
    if (m_block.empty())
        return;
    const std::string block = std::move(m_block);
    m_block.clear();
    try {
        glo::appendWhole(m_file, block);
    } catch (const std::system_error& e) {
        throw std::runtime_error("the HotSync log " + m_file + " was not written: " + e.code().message());
    }
}

} // namespace host
