#ifndef APP_SETTINGS_H
#define APP_SETTINGS_H

#include "glo/GLO_Exception.h"
#include "plm/PLM_Platform.h"

#include <cstdint>
#include <map>
#include <string>

namespace app {

// The HotSync user of the current run and the path of the desktop record file.
class Settings_t {
public:
    // A failure of the host's user-data service.
    class Error_t : public glo::Exception_t {
    public:
        Error_t(const char* source, int line) : glo::Exception_t(source, line, "User Data Error") {}
    };

    // Looks the user up by name. @exception Error_t (line 69) for a user the host does not know.
    explicit Settings_t(const char* userName) {
        if (plm::userData().userId(userName, &m_userId) != 0)
            throw Error_t("Settings.h", 69);
    }

    // The desktop file path, worked out once per user and process (DefaultFileName).
    std::string FileName() const;
    // Root directory + user directory + conduit directory + "Tracks.tlx", recorded in the user's
    // settings. @exception glo::Exception_t (line 38) without a root directory, (line 46) without
    // a user directory; plm::Exception_t when the setting cannot be stored.
    std::string DefaultFileName() const;

    uint32_t userId() const { return m_userId; }

    static constexpr const char* kFileName = "Tracks.tlx";

private:
    uint32_t m_userId = 0;
};

// The desktop file paths worked out so far, by user: a host context starts with none and puts
// back what it found.
using PathCache_t = std::map<uint32_t, std::string>;
PathCache_t exchangePathCache(PathCache_t paths);

// The separator between directory names in the paths the conduit builds.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

} // namespace app

#endif
