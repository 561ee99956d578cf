#include "plm/win32/PLM_Win32Platform.h"

#include "plm/PLM_SyncErrors.h"

#include <windows.h>

namespace plm {

namespace {

// An entry of a HotSync library, found once; null when the library or the entry is missing.
template <class Function> Function entry(const char* library, const char* nameOrOrdinal) {
    HMODULE module = GetModuleHandleA(library);
    if (!module)
        module = LoadLibraryA(library);
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, nameOrOrdinal)));
}

template <class Function> Function byOrdinal(const char* library, WORD ordinal) {
    return entry<Function>(library, MAKEINTRESOURCEA(ordinal));
}

// The host libraries' published prototypes. The log and the Sync Manager use the C calling
// convention; the user-data and conduit-manager entries are WINAPI (the callee pops its
// arguments), and the user-data sizes are 16 bits wide. A pointer of the wrong convention leaves
// the stack off by the arguments' size after every call on 32-bit Windows.
using LogFn = long(__cdecl*)(const char* text, int activity, BOOL timeStamp);
using RegisterFn = long(__cdecl*)(DWORD* handle);
using UnregisterFn = long(__cdecl*)(DWORD handle);
using OpenFn = long(__cdecl*)(const char* name, int card, BYTE* handle, BYTE mode);
using CloseFn = long(__cdecl*)(BYTE handle);
using CountFn = long(__cdecl*)(BYTE handle, WORD* count);
using ReadFn = long(__cdecl*)(RecordBlock_t* block);
using WordFn = WORD(__cdecl*)(WORD value);
using UserIdFn = long(WINAPI*)(const char* userName, DWORD* userId);
using RootFn = long(WINAPI*)(char* buffer, short* size);
using UserDirFn = long(WINAPI*)(DWORD userId, char* buffer, short* size);
using SetStringFn = long(WINAPI*)(DWORD userId, const char* section, const char* key, const char* value);
using CreatorFolderFn = int(WINAPI*)(const char* creator, char* buffer, int* size);

// The conduit's 32-bit sizes, narrowed for a call that takes a 16-bit one and widened back.
short narrowSize(const uint32_t* size) {
    return size && *size <= 0x7FFF ? static_cast<short>(*size) : 0x7FFF;
}
void widenSize(short size, uint32_t* out) {
    if (out)
        *out = size < 0 ? 0u : static_cast<uint32_t>(size);
}

constexpr const char* kLog = "HSLOG20.dll";
constexpr const char* kSync = "SYNC20.dll";
constexpr const char* kUserData = "UserData.dll";
constexpr const char* kConduits = "CONDMGR.dll";

Win32Platform_t g_binding;

} // namespace

Platform_t Win32Platform_t::services() {
    return {&g_binding, &g_binding, &g_binding, &g_binding};
}

void Win32Platform_t::logEntry(const char* text, int32_t activity, int32_t flag) {
    if (auto log = byOrdinal<LogFn>(kLog, 52))
        log(text, activity, flag);
}

int32_t Win32Platform_t::registerConduit(uint32_t* conduitHandle) {
    auto call = byOrdinal<RegisterFn>(kSync, 22);
    if (!call)
        return kSyncUnavailable;
    DWORD handle = 0;
    const long result = call(&handle);
    *conduitHandle = handle;
    return result;
}

int32_t Win32Platform_t::unregisterConduit(uint32_t conduitHandle) {
    auto call = byOrdinal<UnregisterFn>(kSync, 23);
    return call ? call(conduitHandle) : long{kSyncUnavailable};
}

int32_t Win32Platform_t::openDatabase(const char* name, int32_t card, uint8_t* handle, uint8_t mode) {
    auto call = byOrdinal<OpenFn>(kSync, 26);
    return call ? call(name, card, handle, mode) : long{kSyncUnavailable};
}

int32_t Win32Platform_t::recordCount(uint8_t handle, uint16_t* count) {
    auto call = entry<CountFn>(kSync, "SyncGetDBRecordCount");
    return call ? call(handle, count) : long{kSyncUnavailable};
}

int32_t Win32Platform_t::readRecordByIndex(RecordBlock_t* block) {
    auto call = byOrdinal<ReadFn>(kSync, 36);
    return call ? call(block) : long{kSyncUnavailable};
}

uint16_t Win32Platform_t::handheldToHostWord(uint16_t value) {
    auto call = entry<WordFn>(kSync, "SyncHHToHostWord");
    return call ? call(value) : value;
}

int32_t Win32Platform_t::closeDatabase(uint8_t handle) {
    auto call = byOrdinal<CloseFn>(kSync, 28);
    return call ? call(handle) : long{kSyncUnavailable};
}

int32_t Win32Platform_t::userId(const char* userName, uint32_t* id) {
    auto call = byOrdinal<UserIdFn>(kUserData, 145);
    if (!call)
        return kSyncUnavailable;
    DWORD value = 0;
    const long result = call(userName, &value);
    *id = value;
    return result;
}

int32_t Win32Platform_t::rootDirectory(char* buffer, uint32_t* size) {
    auto call = byOrdinal<RootFn>(kUserData, 105);
    if (!call)
        return -1;
    short narrow = narrowSize(size);
    const long result = call(buffer, &narrow);
    widenSize(narrow, size);
    return result;
}

int32_t Win32Platform_t::userDirectory(uint32_t id, char* buffer, uint32_t* size) {
    auto call = byOrdinal<UserDirFn>(kUserData, 104);
    if (!call)
        return -1;
    short narrow = narrowSize(size);
    const long result = call(id, buffer, &narrow);
    widenSize(narrow, size);
    return result;
}

int32_t Win32Platform_t::storeSetting(uint32_t id, const char* section, const char* key, const char* value) {
    auto call = byOrdinal<SetStringFn>(kUserData, 141);
    return call ? call(id, section, key, value) : long{kSyncUnavailable};
}

int32_t Win32Platform_t::conduitDirectory(const char* creator, char* buffer, uint32_t* size) {
    auto call = byOrdinal<CreatorFolderFn>(kConduits, 49);
    if (!call)
        return kSyncUnavailable;
    int wide = size && *size <= 0x7FFFFFFF ? static_cast<int>(*size) : 0;
    const int result = call(creator, buffer, &wide);
    if (size)
        *size = wide < 0 ? 0u : static_cast<uint32_t>(wide);
    return result;
}

} // namespace plm
