#include "plm/PLM_Settings.h"

#include "glo/GLO_Identity.h"
#include "plm/PLM_Platform.h"

#include <map>

namespace plm {

void Settings_t::SetFileName(const std::string& path) const {
    if (userData().storeSetting(m_userId, glo::ConduitName, "FileName", path.c_str()) != 0)
        throw Exception_t("PLM_Settings.cpp", 71);
}

Settings_t& UserSettings(uint32_t userId) {
    static std::map<uint32_t, Settings_t> writers;
    return writers.try_emplace(userId, userId).first->second;
}

} // namespace plm
