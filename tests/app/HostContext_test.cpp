// A host context installs every seam for its lifetime, starts with empty caches, and puts back
// everything it found: contexts nest, and nothing leaks from one test into the next.
#include "app/HostInterface.h"
#include "app/MessageBox.h"
#include "app/Settings.h"
#include "glo/GLO_CodePage.h"
#include "plm/memory/PLM_MemoryServices.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> g_shown;

struct Host {
    plm::MemoryUserData_t users;
    plm::MemoryConduitManager_t conduits;
    Host(const std::string& root) {
        users.setRoot(root);
        users.addUser("Ada", 1, "ada");
    }
    app::HostServices_t services(int64_t (*clock)(), uint32_t codePage) {
        app::HostServices_t installed;
        installed.platform = {nullptr, nullptr, &users, &conduits};
        installed.clock = clock;
        installed.messageBox = [](const std::string& text, unsigned) { g_shown.push_back(text); };
        installed.ansiCodePage = codePage;
        return installed;
    }
};

} // namespace

TEST(HostContext, NestedContextsInstallTheirOwnAndPutBackTheOuter) {
    g_shown.clear();
    Host outer("/outer/");
    Host inner("/inner/");
    const uint32_t codePageBefore = glo::CodePage_t::current().number();
    {
        const app::HostContext_t outerContext(outer.services([]() -> int64_t { return 111; }, 1252));
        ASSERT_EQ(app::startUpModule(), app::StartUp_t::Ready);
        EXPECT_EQ(app::Settings_t("Ada").FileName(), "/outer/ada/Pathlet/Tracks.tlx");
        EXPECT_EQ(outer.users.stores, 1);
        {
            const app::HostContext_t innerContext(inner.services([]() -> int64_t { return 222; }, 1251));
            ASSERT_EQ(app::startUpModule(), app::StartUp_t::Ready);
            EXPECT_EQ(glo::Time_t::now().seconds(), 222);
            EXPECT_EQ(glo::CodePage_t::current().number(), 1251u);
            // The desktop path is worked out afresh through this host, not taken from the outer's cache.
            EXPECT_EQ(app::Settings_t("Ada").FileName(), "/inner/ada/Pathlet/Tracks.tlx");
            EXPECT_EQ(inner.users.stores, 1);
            app::showMessageBox("inner");
        }
        EXPECT_EQ(glo::Time_t::now().seconds(), 111);
        EXPECT_EQ(glo::CodePage_t::current().number(), 1252u);
        // The outer's cached path is back: no second store.
        EXPECT_EQ(app::Settings_t("Ada").FileName(), "/outer/ada/Pathlet/Tracks.tlx");
        EXPECT_EQ(outer.users.stores, 1);
    }
    EXPECT_EQ(g_shown, std::vector<std::string>{"inner"});
    EXPECT_EQ(glo::CodePage_t::current().number(), codePageBefore);
    EXPECT_NE(glo::Time_t::now().seconds(), 111);
}

TEST(HostContext, AnUnknownCodePageFailsStartUp) {
    Host host("/r/");
    const app::HostContext_t context(host.services(nullptr, 12345));
    EXPECT_EQ(app::startUpModule(), app::StartUp_t::NoLocale);
}
