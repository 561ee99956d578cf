#include "app/win32/Win32Framework.h"

#include <exception>

namespace app {

namespace {
WinApp_t* g_app = nullptr;
HMODULE g_module = nullptr;
HMODULE g_resources = nullptr;
bool g_exited = false;
} // namespace

WinApp_t::WinApp_t() {
    g_app = this;
}
WinApp_t* WinApp_t::instance() {
    return g_app;
}

HMODULE moduleHandle() {
    return g_module;
}
HMODULE resourceModule() {
    return g_resources ? g_resources : g_module;
}
void setResourceModule(HMODULE module) {
    g_resources = module;
}

void showWin32MessageBox(const std::string& text, unsigned style) {
    MessageBoxA(GetActiveWindow(), text.c_str(), "Pathlet", style);
}

} // namespace app

// The library's entry point: starts the application object when the host loads the module and
// stops it when the module goes. A failed start makes the load fail; the C runtime then calls the
// entry point again for the detach, so the stop runs only once.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    app::WinApp_t* application = app::WinApp_t::instance();
    if (reason == DLL_PROCESS_ATTACH) {
        app::g_module = module;
        bool started = false;
        try {
            started = application && application->InitInstance();
        } catch (...) {
            started = false;
        }
        if (!started) {
            if (application && !app::g_exited)
                application->ExitInstance();
            app::g_exited = true;
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH && application && !app::g_exited) {
        app::g_exited = true;
        application->ExitInstance();
    }
    return TRUE;
}
