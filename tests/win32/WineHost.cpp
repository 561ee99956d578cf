// A test host that loads Pathlet.dll as a HotSync Manager does and calls its exports. A watcher
// thread reads and answers the windows the module shows (dialog and message boxes).
//   WineHost hotsync USER TYPE        one HotSync; prints "result N"
//   WineHost fault USER               OpenConduit with no sync properties, then a good HotSync
//   WineHost info                     the information entry points
//   WineHost load                     only loads the module; prints what any message box said
//   WineHost configure ACTION IDS...  CfgConduit; the watcher prints the controls and clicks IDS
//   WineHost cfgargs                  CfgConduit's argument checks
//   WineHost version FILE             a file's version block
//   WineHost locale                   the system's default locale and code page
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using OpenConduitFn = int32_t (*)(void (*)(const char*), const void*);
using GetConduitNameFn = int32_t (*)(char*, uint16_t);
using GetConduitVersionFn = uint32_t (*)();
using GetConduitInfoFn = int32_t (*)(int32_t, const void*, void*, const uint32_t*);
using CfgConduitFn = int32_t (*)(int32_t, void*, const uint32_t*);

HANDLE g_ready = nullptr;
std::vector<int> g_clicks;
volatile bool g_stop = false;

template <class F> F exported(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

struct Found {
    HWND window = nullptr;
};

BOOL CALLBACK findOwnDialog(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && std::strcmp(className, "#32770") == 0) {
        reinterpret_cast<Found*>(found)->window = window;
        return FALSE;
    }
    return TRUE;
}

void shotHandshake() {
    const char* dir = std::getenv("PATHLET_SHOT_DIR");
    if (!dir)
        return;
    const std::string up = std::string(dir) + "\\up";
    const std::string done = std::string(dir) + "\\done";
    if (FILE* f = std::fopen(up.c_str(), "w"))
        std::fclose(f);
    for (int i = 0; i < 500 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(20);
}

// Reads and answers the windows of this process: a message box is reported and dismissed; the
// configuration dialog's controls are reported and the requested buttons clicked.
DWORD WINAPI watch(LPVOID) {
    HWND answered = nullptr; // the dialog whose buttons were clicked
    Found first;
    EnumWindows(&findOwnDialog, reinterpret_cast<LPARAM>(&first)); // initialise user32 before the load
    SetEvent(g_ready);
    for (int round = 0; round < 1500 && !g_stop; ++round) {
        Found found;
        EnumWindows(&findOwnDialog, reinterpret_cast<LPARAM>(&found));
        if (!found.window || !IsWindowVisible(found.window)) {
            Sleep(20);
            continue;
        }
        Sleep(50);
        if (HWND text = GetDlgItem(found.window, 0xFFFF)) {
            char message[512] = {};
            GetWindowTextA(text, message, sizeof message);
            std::printf("message: %s\n", message);
            PostMessageA(GetDlgItem(found.window, IDOK), BM_CLICK, 0, 0);
            Sleep(100);
            continue;
        }
        if (found.window == answered) {
            Sleep(20);
            continue;
        }
        answered = found.window;
        std::printf("controls: 1012=%u 1013=%u 1016=%u picture1023=%s picture1025=%s\n",
                    IsDlgButtonChecked(found.window, 1012), IsDlgButtonChecked(found.window, 1013),
                    IsDlgButtonChecked(found.window, 1016),
                    SendDlgItemMessageA(found.window, 1023, STM_GETIMAGE, IMAGE_BITMAP, 0) ? "set" : "none",
                    SendDlgItemMessageA(found.window, 1025, STM_GETIMAGE, IMAGE_BITMAP, 0) ? "set" : "none");
        shotHandshake();
        // Posted, not sent: a click that opens a message box must not hold up the watcher.
        for (int id : g_clicks) {
            PostMessageA(GetDlgItem(found.window, id), BM_CLICK, 0, 0);
            Sleep(50);
        }
    }
    return 0;
}

HMODULE loadModule() {
    g_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, &watch, nullptr, 0, nullptr);
    WaitForSingleObject(g_ready, 10000);
    HMODULE module = LoadLibraryA("Pathlet.dll");
    if (!module)
        std::printf("load failed: %lu\n", GetLastError());
    return module;
}

void progress(const char*) {}

int hotsync(HMODULE module, const char* user, int32_t type) {
    std::vector<char> properties(1024, 0);
    std::memcpy(properties.data(), &type, sizeof type);
    std::strncpy(properties.data() + 516, user, 200);
    const int32_t result = exported<OpenConduitFn>(module, "OpenConduit")(&progress, properties.data());
    std::printf("result %d\n", result);
    return 0;
}

// A processor fault inside the conduit must end that run, not the host.
int fault(HMODULE module, const char* user) {
    const int32_t result = exported<OpenConduitFn>(module, "OpenConduit")(&progress, nullptr);
    std::printf("fault result %d\n", result);
    return hotsync(module, user, 2);
}

int info(HMODULE module) {
    char name[32];
    exported<GetConduitNameFn>(module, "GetConduitName")(name, sizeof name);
    std::printf("name %s version 0x%x\n", name, exported<GetConduitVersionFn>(module, "GetConduitVersion")());
    auto getInfo = exported<GetConduitInfoFn>(module, "GetConduitInfo");
    const uint32_t request[2] = {1, 80};
    uint32_t size = sizeof name;
    int32_t value = 0;
    const uint32_t four = 4;
    int32_t result = getInfo(0, request, name, &size);
    std::printf("kind0 %d %s\n", result, name);
    result = getInfo(1, nullptr, &value, &four);
    std::printf("kind1 %d 0x%x\n", result, value);
    result = getInfo(2, nullptr, &value, &four);
    std::printf("kind2 %d %d\n", result, value);
    std::printf("nulls 0x%x\n", getInfo(0, request, nullptr, nullptr));
    return 0;
}

int configure(HMODULE module, int32_t action) {
    std::vector<char> record(352, 0);
    const int32_t version = 1, unset = -1;
    std::memcpy(record.data(), &version, 4);
    std::memcpy(record.data() + 340, &action, 4);
    std::memcpy(record.data() + 344, &unset, 4);
    std::memcpy(record.data() + 348, &unset, 4);
    const uint32_t size = 352;
    const int32_t result = exported<CfgConduitFn>(module, "CfgConduit")(0, record.data(), &size);
    int32_t chosen = 0, preference = 0;
    std::memcpy(&chosen, record.data() + 344, 4);
    std::memcpy(&preference, record.data() + 348, 4);
    std::printf("result %d action %d preference %d\n", result, chosen, preference);
    return 0;
}

int cfgArguments(HMODULE module) {
    auto cfg = exported<CfgConduitFn>(module, "CfgConduit");
    std::vector<char> record(352, 0);
    const uint32_t size = 352, wrong = 351;
    const int32_t results[] = {cfg(1, nullptr, nullptr), cfg(1, record.data(), nullptr),
                               cfg(1, record.data(), &wrong), cfg(1, record.data(), &size),
                               cfg(0, record.data(), &size) /* version 0 */};
    for (const int32_t result : results)
        std::printf("0x%x ", result);
    std::printf("\n");
    return 0;
}

int version(const char* file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    if (!size) {
        std::printf("no version block\n");
        return 0;
    }
    std::vector<char> block(size);
    GetFileVersionInfoA(file, 0, size, block.data());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
    std::printf("file %d.%d.%d.%d product %d.%d.%d.%d mask 0x%lx flags 0x%lx os 0x%lx type 0x%lx\n",
                HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
                HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS), fixed->dwFileFlagsMask,
                fixed->dwFileFlags, fixed->dwFileOS, fixed->dwFileType);
    for (const char* key : {"FileDescription", "InternalName", "ProductName", "FileVersion", "ProductVersion",
                            "OriginalFilename"}) {
        char* text = nullptr;
        UINT textLength = 0;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + key;
        if (VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &textLength))
            std::printf("%s=%s\n", key, text);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2)
        return 2;
    const std::string command = argv[1];
    if (command == "version" && argc == 3)
        return version(argv[2]);
    if (command == "locale") {
        char codePage[16] = {};
        GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_IDEFAULTANSICODEPAGE, codePage, sizeof codePage);
        std::printf("lcid 0x%lx code page %s\n", GetSystemDefaultLCID(), codePage);
        return 0;
    }
    if (command == "configure")
        for (int i = 3; i < argc; ++i)
            g_clicks.push_back(std::atoi(argv[i]));
    HMODULE module = loadModule();
    int status = 0;
    if (module) {
        if (command == "hotsync" && argc == 4)
            status = hotsync(module, argv[2], std::atoi(argv[3]));
        else if (command == "fault" && argc == 3)
            status = fault(module, argv[2]);
        else if (command == "info")
            status = info(module);
        else if (command == "configure" && argc >= 3)
            status = configure(module, std::atoi(argv[2]));
        else if (command == "cfgargs")
            status = cfgArguments(module);
        else if (command == "load")
            std::printf("loaded\n");
        FreeLibrary(module);
    }
    g_stop = true;
    Sleep(50);
    return status;
}
