// Finds the language library beside the module, checks its version and loads it.
#include "app/win32/Win32Framework.h"
#include "glo/GLO_Identity.h"
#include "win/WIN_Exception.h"
#include "win/WIN_FileVerInfo.h"

#include <windows.h>

namespace app {

namespace {
constexpr const char* kSource = "ResourceHandle.cpp";
constexpr const char* kLanguageLibrary = glo::LanguageLibraryFileName;
} // namespace

glo::ModuleHandle LoadResourceModule() {
    // Under another file name the lookup fails and the path is the host's: the library is then
    // looked for beside the host.
    HMODULE self = GetModuleHandleA("Pathlet.dll");
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    std::string directory(path);
    const auto separator = directory.find_last_of("\\/:");
    directory = separator == std::string::npos ? std::string() : directory.substr(0, separator + 1);
    const std::string library = directory + kLanguageLibrary;

    const std::vector<uint16_t> version = win::FileVerInfo_t(library).FileVersion();
    const std::vector<uint16_t> required(std::begin(glo::LanguageLibraryVersion),
                                         std::end(glo::LanguageLibraryVersion));
    if (version != required)
        throw win::Error_t(kSource, 62);
    HMODULE loaded = LoadLibraryA(library.c_str());
    if (!loaded)
        throw win::Error_t(kSource, 69);
    return loaded;
}

} // namespace app
