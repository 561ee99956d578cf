// The application object: start-up and shut-down of the module.
#include "app/HostInterface.h"
#include "app/MessageBox.h"
#include "app/win32/Win32Framework.h"
#include "plm/win32/PLM_Win32Platform.h"
#include "win/WIN_Locale.h"

#include <optional>

namespace app {

class Application_t : public WinApp_t {
public:
    bool InitInstance() override {
        // The HotSync Manager's services stay installed for the life of the module.
        m_context.emplace(HostServices_t{plm::Win32Platform_t::services(), &showWin32MessageBox,
                                         &showWin32ConfigDialog, nullptr, &LoadResourceModule, nullptr, 0});
        switch (startUpModule()) {
        case StartUp_t::NoLanguageLibrary:
            showMessageBox("Incorrect or missing language dll file. Please reinstall Pathlet_LANG.dll.",
                           MB_OK);
            return false;
        case StartUp_t::NoLocale:
            // Nothing the module could do would order the user's names right; say why it stops.
            showMessageBox("Pathlet cannot work with this computer's code page (" +
                               glo::localeName(win::DefaultLocale()) +
                               "). Please report this to the maker of Pathlet.",
                           MB_OK);
            return false;
        case StartUp_t::Ready:
            break;
        }
        setResourceModule(static_cast<HMODULE>(glo::ResourceModule()));
        return true;
    }
    int ExitInstance() override { return WinApp_t::ExitInstance(); }

private:
    std::optional<HostContext_t> m_context;
};

namespace {
Application_t theApp;
}

} // namespace app
