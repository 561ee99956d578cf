#include "app/LogFailure.h"

#include "glo/GLO_Identity.h"
#include "plm/PLM_Platform.h"

#include <cctype>
#include <cstring>

namespace app {

namespace {

constexpr std::size_t kMaxPart = 255;

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// File name and extension of a path with either kind of separator or a drive.
void splitFileName(const std::string& path, std::string& name, std::string& extension) {
    const auto slash = path.find_last_of("\\/:");
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = file.find_last_of('.');
    name = dot == std::string::npos ? file : file.substr(0, dot);
    extension = dot == std::string::npos ? std::string() : file.substr(dot);
    name = name.substr(0, kMaxPart);
    extension = extension.substr(0, kMaxPart);
}

} // namespace

std::string failureLine(const char* source, int line, const std::string& message) {
    std::string name;
    std::string extension;
    splitFileName(source ? source : "", name, extension);
    std::string text = upper(name) + upper(extension) + "-" + std::to_string(line) + "-" + glo::VersionText;
    const glo::BuildStamp_t& stamp = glo::buildStamp();
    if (std::memcmp(stamp.label, glo::ReleaseLabel, 4) != 0)
        text += std::string("-Beta\n") + stamp.date + ", " + stamp.time + " (" + stamp.label + ")";
    if (!message.empty())
        text += "\n" + message;
    return text;
}

void LogFailure(const char* source, int line, const std::string& message) {
    plm::HotSyncLog_t& log = plm::hotSyncLog();
    log.logEntry(glo::ConduitName, kLogAbort, 0);
    log.logEntry(failureLine(source, line, message).c_str(), kLogFailure, 0);
}

} // namespace app
