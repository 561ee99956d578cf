// PathletSetup: installs the conduit into HotSync Manager, removes it, or says how it stands.
//   PathletSetup install     copies Pathlet.dll and Pathlet_LANG.dll (from this program's folder)
//                            into HotSync Manager's folder and registers creator VTRK
//   PathletSetup uninstall   removes the registration and the copied files
//   PathletSetup status      where HotSync Manager is, which files are there, what is registered
// HotSync Manager's Conduit Manager (CONDMGR.dll) does the registering; it is looked for beside
// this program and then on the usual library path. Every failure is one line on standard error
// and exit status 1 (2 for a wrong command line).
#include "glo/GLO_Identity.h"

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr const char* kConduitDirectory = "Pathlet";
constexpr int kApplicationConduit = 1;

// A failure the user is told about in one line.
struct Failure_t {
    std::string text;
};

std::string systemText(DWORD code) {
    char buffer[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "system error " + std::to_string(code) : text;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string programFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return folderOf(std::string(path, length));
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string fileVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return "no version";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

// The Conduit Manager's published calls, all WINAPI, found by name.
class ConduitManager_t {
public:
    ConduitManager_t() {
        const std::string beside = programFolder() + "\\CONDMGR.dll";
        m_library = exists(beside) ? LoadLibraryA(beside.c_str()) : LoadLibraryA("CONDMGR.dll");
        if (!m_library)
            throw Failure_t{"CONDMGR.dll was not found (" + systemText(GetLastError()) +
                            "): is HotSync Manager installed? Run PathletSetup from its folder."};
    }
    ~ConduitManager_t() { FreeLibrary(m_library); }
    ConduitManager_t(const ConduitManager_t&) = delete;
    ConduitManager_t& operator=(const ConduitManager_t&) = delete;

    std::string hotSyncFolder() {
        char path[MAX_PATH] = {};
        int size = sizeof path;
        if (const int code = call<int(WINAPI*)(char*, int*)>("CmGetHotSyncExecPath")(path, &size))
            throw Failure_t{
                "the Conduit Manager does not know where HotSync Manager is (CmGetHotSyncExecPath: " +
                std::to_string(code) + ")"};
        path[sizeof path - 1] = 0;
        return folderOf(path);
    }

    int installCreator(const char* creator, int type) {
        return call<int(WINAPI*)(const char*, int)>("CmInstallCreator")(creator, type);
    }
    void set(const char* entry, const char* creator, const char* value) {
        if (const int code = call<int(WINAPI*)(const char*, const char*)>(entry)(creator, value))
            throw Failure_t{std::string(entry) + "(\"" + value + "\") failed with code " +
                            std::to_string(code)};
    }
    int removeCreator(const char* creator) {
        return call<int(WINAPI*)(const char*)>("CmRemoveConduitByCreatorID")(creator);
    }
    // The module registered for a creator; empty when none is.
    std::string creatorName(const char* creator) {
        char name[MAX_PATH] = {};
        int size = sizeof name;
        if (call<int(WINAPI*)(const char*, char*, int*)>("CmGetCreatorName")(creator, name, &size) != 0)
            return "";
        name[sizeof name - 1] = 0;
        return name;
    }

private:
    template <class Function> Function call(const char* name) {
        FARPROC entry = GetProcAddress(m_library, name);
        if (!entry)
            throw Failure_t{std::string("CONDMGR.dll has no ") + name +
                            ": HotSync Manager is too old or damaged"};
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
    }

    HMODULE m_library;
};

bool sameName(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

void copyInto(const std::string& file, const std::string& from, const std::string& to) {
    const std::string source = from + "\\" + file;
    const std::string target = to + "\\" + file;
    if (!exists(source))
        throw Failure_t{file + " is not beside PathletSetup (" + from + ")"};
    if (sameName(source, target))
        return;
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        throw Failure_t{"cannot copy " + file + " to " + to + ": " + systemText(GetLastError())};
}

int install() {
    ConduitManager_t manager;
    const std::string folder = manager.hotSyncFolder();
    const std::string from = programFolder();
    for (const char* file : {glo::ModuleFileName, glo::LanguageLibraryFileName})
        copyInto(file, from, folder);
    if (const int code = manager.installCreator(glo::CreatorCode, kApplicationConduit)) {
        // Already ours (a second install): the settings below are simply written again.
        const std::string owner = manager.creatorName(glo::CreatorCode);
        if (!sameName(owner, glo::ModuleFileName))
            throw Failure_t{std::string("creator ") + glo::CreatorCode + " cannot be registered (code " +
                            std::to_string(code) + ")" + (owner.empty() ? "" : ": it belongs to " + owner)};
    }
    manager.set("CmSetCreatorName", glo::CreatorCode, glo::ModuleFileName);
    manager.set("CmSetCreatorDirectory", glo::CreatorCode, kConduitDirectory);
    manager.set("CmSetCreatorTitle", glo::CreatorCode, glo::ConduitName);
    manager.set("CmSetCreatorRemote", glo::CreatorCode, glo::TrackDatabaseName);
    std::printf("Pathlet installed in %s (creator %s). Restart HotSync Manager to use it.\n", folder.c_str(),
                glo::CreatorCode);
    return 0;
}

int uninstall() {
    ConduitManager_t manager;
    const std::string folder = manager.hotSyncFolder();
    const std::string owner = manager.creatorName(glo::CreatorCode);
    if (!owner.empty() && !sameName(owner, glo::ModuleFileName))
        throw Failure_t{std::string("creator ") + glo::CreatorCode + " belongs to " + owner +
                        ", not Pathlet: left as it is"};
    const bool registered = !owner.empty();
    if (registered) {
        if (const int code = manager.removeCreator(glo::CreatorCode))
            throw Failure_t{std::string("the registration of ") + glo::CreatorCode +
                            " cannot be removed (code " + std::to_string(code) + ")"};
    }
    for (const char* file : {glo::ModuleFileName, glo::LanguageLibraryFileName}) {
        const std::string path = folder + "\\" + file;
        if (exists(path) && !DeleteFileA(path.c_str()))
            throw Failure_t{"cannot delete " + path + ": " + systemText(GetLastError())};
    }
    std::printf("Pathlet %s from %s.\n", registered ? "removed" : "was not registered; its files are gone",
                folder.c_str());
    return 0;
}

int status() {
    ConduitManager_t manager;
    const std::string folder = manager.hotSyncFolder();
    std::printf("HotSync Manager: %s\n", folder.c_str());
    for (const char* file : {glo::ModuleFileName, glo::LanguageLibraryFileName}) {
        const std::string path = folder + "\\" + file;
        std::printf("%s: %s\n", file, exists(path) ? fileVersion(path).c_str() : "missing");
    }
    const std::string owner = manager.creatorName(glo::CreatorCode);
    std::printf("creator %s: %s\n", glo::CreatorCode, owner.empty() ? "not registered" : owner.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string command = argc == 2 ? argv[1] : "";
    try {
        if (command == "install")
            return install();
        if (command == "uninstall")
            return uninstall();
        if (command == "status")
            return status();
    } catch (const Failure_t& failure) {
        std::fprintf(stderr, "PathletSetup %s: %s\n", command.c_str(), failure.text.c_str());
        return 1;
    }
    std::fprintf(stderr, "usage: PathletSetup install|uninstall|status\n");
    return 2;
}
