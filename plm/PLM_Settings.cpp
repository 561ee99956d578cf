#include "plm/PLM_Settings.h"

#include "glo/GLO_Identity.h"
#include "plm/PLM_Platform.h"

#include <map>
#include <utility>

namespace plm {

void Settings_t::SetFileName(const std::string& path) const {
    if (userData().storeSetting(m_userId, glo::ConduitName, "FileName", path.c_str()) != 0)
        throw Exception_t("PLM_Settings.cpp", 71);
}

namespace {
SettingsWriters_t& writers() {
    static SettingsWriters_t made;
    return made;
}
} // namespace

Settings_t& UserSettings(uint32_t userId) {
    return writers().try_emplace(userId, userId).first->second;
}

SettingsWriters_t exchangeSettingsWriters(SettingsWriters_t replacement) {
    return std::exchange(writers(), std::move(replacement));
}

} // namespace plm
