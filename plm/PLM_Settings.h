#ifndef PLM_PLM_SETTINGS_H
#define PLM_PLM_SETTINGS_H

#include "glo/GLO_Exception.h"

#include <cstdint>
#include <map>
#include <string>

namespace plm {

// A failure of the host's user-data service while storing a setting.
class Exception_t : public glo::Exception_t {
public:
    Exception_t(const char* source, int line) : glo::Exception_t(source, line) {}
};

// Writes one user's conduit settings through the host.
class Settings_t {
public:
    explicit Settings_t(uint32_t userId) : m_userId(userId) {}
    // Stores the desktop file path under section "Pathlet", key "FileName".
    // @exception plm::Exception_t (line 71) when the host refuses.
    void SetFileName(const std::string& path) const;
    uint32_t userId() const { return m_userId; }

private:
    uint32_t m_userId;
};

// The settings writer of a user, made on first use and kept while the host's context lasts.
Settings_t& UserSettings(uint32_t userId);

// The writers made so far, by user: a host context starts with none and puts back what it found.
using SettingsWriters_t = std::map<uint32_t, Settings_t>;
SettingsWriters_t exchangeSettingsWriters(SettingsWriters_t writers);

} // namespace plm

#endif
