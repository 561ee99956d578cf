#ifndef APP_WIN32_WIN32FRAMEWORK_H
#define APP_WIN32_WIN32FRAMEWORK_H

// The small part of a Windows application framework the module needs: an application object
// started and stopped by the library's entry point, the current resource module, message boxes,
// and the configuration dialog over the Win32 dialog functions.

#include "glo/GLO_StringResource.h"

#include <string>

#include <windows.h>

namespace app {

// Base of the application object: exactly one exists, constructed statically.
class WinApp_t {
public:
    WinApp_t();
    virtual ~WinApp_t() = default;
    virtual bool InitInstance() { return true; }
    virtual int ExitInstance() { return 0; }
    static WinApp_t* instance();
};

// This module's own handle, and the module serving dialogs, bitmaps and texts.
HMODULE moduleHandle();
HMODULE resourceModule();
void setResourceModule(HMODULE module);

// Loads and checks the language library (raises win::Error_t).
glo::ModuleHandle LoadResourceModule();

// The presenters the conduit uses on Windows.
void showWin32MessageBox(const std::string& text, unsigned style);
struct DialogControls_t;
bool showWin32ConfigDialog(DialogControls_t& controls);

} // namespace app

#endif
