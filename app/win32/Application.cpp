// The application object: start-up and shut-down of the module.
#include "app/ConfigDialog.h"
#include "app/MessageBox.h"
#include "app/win32/Win32Framework.h"
#include "plm/win32/PLM_Win32Platform.h"
#include "win/WIN_Exception.h"
#include "win/WIN_FaultTranslation.h"
#include "win/WIN_Locale.h"

namespace app {

class Application_t : public WinApp_t {
public:
    bool InitInstance() override {
        plm::Win32Platform_t::install();
        setMessageBoxPresenter(&showWin32MessageBox);
        setDialogPresenter(&showWin32ConfigDialog);
        glo::setResourceModuleLoader(&LoadResourceModule);
        try {
            setResourceModule(static_cast<HMODULE>(glo::ResourceModule()));
        } catch (const win::Error_t&) {
            showMessageBox("Incorrect or missing language dll file. Please reinstall Pathlet_LANG.dll.",
                           MB_OK);
            return false;
        }
        win::installFaultTranslator();
        try {
            win::applyDefaultLocale();
        } catch (const glo::LocaleDoesNotExist_t& e) {
            // Nothing the module could do would order the user's names right; say why it stops.
            showMessageBox("Pathlet cannot work with this computer's code page (locale " +
                               std::string(e.what()) + "). Please report this to the maker of Pathlet.",
                           MB_OK);
            throw;
        }
        return true;
    }
    int ExitInstance() override { return WinApp_t::ExitInstance(); }
};

namespace {
Application_t theApp;
}

} // namespace app
