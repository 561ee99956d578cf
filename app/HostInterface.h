#ifndef APP_HOSTINTERFACE_H
#define APP_HOSTINTERFACE_H

// What a host gives the conduit besides calling its entry points (ConduitApi.h): its services,
// installed for as long as a HostContext_t lives, and the module's start-up. Both hosts, the
// Windows framework and the `pathlet` command, start the module through this.

#include "gdi/GDI_MetaFile.h"
#include "glo/GLO_NonCopyable.h"
#include "glo/GLO_StringResource.h"
#include "glo/GLO_Time.h"
#include "plm/PLM_Platform.h"
#include "plm/PLM_Settings.h"

#include <cstdint>
#include <map>
#include <string>

namespace app {

// The application's modal message box (style 0: an OK button only).
using MessageBoxPresenter = void (*)(const std::string& text, unsigned style);

// The state of the configuration dialog's controls while it is shown.
struct DialogControls_t {
    bool handheldToDesktop = false; // radio 1012
    bool doNothing = false;         // radio 1013
    bool makeDefault = false;       // check box 1016
};
// Shows the dialog modally: lets the user change the controls and returns true for OK, false for
// Cancel.
using DialogPresenter = bool (*)(DialogControls_t& controls);

// Every seam of the module, as a host fills it. A null entry is the default named beside it.
struct HostServices_t {
    plm::Platform_t platform;                       // missing services fail every call
    MessageBoxPresenter messageBox = nullptr;       // the text on standard error
    DialogPresenter dialog = nullptr;               // no dialog: it ends without OK
    glo::Time_t::Clock clock = nullptr;             // the system clock
    glo::ModuleLoader resourceLoader = nullptr;     // no language library
    gdi::DeleteMetaFileFn deleteMetaFile = nullptr; // pictures need no deleting
    uint32_t ansiCodePage = 1252;                   // POSIX only: the code page of the names
};

// Installs a host's services, with the caches of the module (desktop paths, settings writers,
// the loaded language library, the default locale) empty, for the life of the object; then puts
// back whatever was installed before. Contexts nest; destroy them in reverse order.
class HostContext_t : private glo::NonCopyable_t {
public:
    explicit HostContext_t(const HostServices_t& services);
    ~HostContext_t();

private:
    HostServices_t m_previous;
    glo::ResourceModuleState_t m_resources;
    uint32_t m_codePage;
    std::map<uint32_t, std::string> m_paths;
    plm::SettingsWriters_t m_writers;
};

// The module's start-up in the installed context: the language library (when the host gave a
// loader), the translation of processor faults, and the locale of the system's code page.
enum class StartUp_t {
    Ready,
    NoLanguageLibrary, // the library is missing or has the wrong version
    NoLocale,          // no locale can be built for the system's code page
};
StartUp_t startUpModule();

} // namespace app

#endif
