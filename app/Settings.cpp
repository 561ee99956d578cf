#include "app/Settings.h"

#include "glo/GLO_Identity.h"
#include "plm/PLM_Settings.h"

#include <cstring>
#include <map>
#include <utility>

namespace app {

namespace {

constexpr const char* kSource = "Settings.cpp";

// Paths already worked out, by user: each user's HotSyncs write that user's own file. A path is
// cached only once it was worked out and recorded without failure, so a failed call retries.
PathCache_t& pathCache() {
    static PathCache_t paths;
    return paths;
}

// The text a host call left in a buffer, never beyond the buffer.
std::string textOf(const char* buffer) {
    return std::string(buffer, strnlen(buffer, plm::kPathBufferSize));
}

} // namespace

PathCache_t exchangePathCache(PathCache_t paths) {
    return std::exchange(pathCache(), std::move(paths));
}

std::string Settings_t::FileName() const {
    auto& paths = pathCache();
    auto found = paths.find(m_userId);
    if (found == paths.end())
        found = paths.emplace(m_userId, DefaultFileName()).first;
    return found->second;
}

std::string Settings_t::DefaultFileName() const {
    char buffer[plm::kPathBufferSize] = {};
    uint32_t size = plm::kPathBufferSize;
    if (plm::userData().rootDirectory(buffer, &size) <= 0)
        throw glo::Exception_t(kSource, 38);
    std::string path = textOf(buffer);

    std::memset(buffer, 0, sizeof buffer);
    size = plm::kPathBufferSize;
    if (plm::userData().userDirectory(m_userId, buffer, &size) < 0)
        throw glo::Exception_t(kSource, 46);
    path += textOf(buffer);
    path += kPathSeparator;

    // A conduit manager that cannot answer leaves the buffer empty.
    std::memset(buffer, 0, sizeof buffer);
    size = plm::kPathBufferSize;
    plm::conduitManager().conduitDirectory(glo::CreatorCode, buffer, &size);
    path += textOf(buffer);
    path += kPathSeparator;

    path += kFileName;
    plm::UserSettings(m_userId).SetFileName(path);
    return path;
}

} // namespace app
