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

using LogFn = int32_t (*)(const char*, int32_t, int32_t);
using RegisterFn = int32_t (*)(uint32_t*);
using HandleFn = int32_t (*)(uint32_t);
using OpenFn = int32_t (*)(const char*, int32_t, uint8_t*, int32_t);
using CountFn = int32_t (*)(uint32_t, uint16_t*);
using ReadFn = int32_t (*)(RecordBlock_t*);
using WordFn = uint32_t (*)(uint32_t);
using UserIdFn = int32_t (*)(const char*, uint32_t*);
using RootFn = int32_t (*)(char*, uint32_t*);
using UserDirFn = int32_t (*)(uint32_t, char*, uint32_t*);
using SetStringFn = int32_t (*)(uint32_t, const char*, const char*, const char*);
using CreatorFolderFn = int32_t (*)(const char*, char*, uint32_t*);

constexpr const char* kLog = "HSLOG20.dll";
constexpr const char* kSync = "SYNC20.dll";
constexpr const char* kUserData = "UserData.dll";
constexpr const char* kConduits = "CONDMGR.dll";

Win32Platform_t g_binding;

} // namespace

void Win32Platform_t::install() {
    setPlatform({&g_binding, &g_binding, &g_binding, &g_binding});
}

void Win32Platform_t::logEntry(const char* text, int32_t activity, int32_t flag) {
    if (auto log = byOrdinal<LogFn>(kLog, 52))
        log(text, activity, flag);
}

int32_t Win32Platform_t::registerConduit(uint32_t* conduitHandle) {
    auto call = byOrdinal<RegisterFn>(kSync, 22);
    return call ? call(conduitHandle) : kSyncUnavailable;
}

int32_t Win32Platform_t::unregisterConduit(uint32_t conduitHandle) {
    auto call = byOrdinal<HandleFn>(kSync, 23);
    return call ? call(conduitHandle) : kSyncUnavailable;
}

int32_t Win32Platform_t::openDatabase(const char* name, int32_t card, uint8_t* handle, uint8_t mode) {
    auto call = byOrdinal<OpenFn>(kSync, 26);
    return call ? call(name, card, handle, mode) : kSyncUnavailable;
}

int32_t Win32Platform_t::recordCount(uint8_t handle, uint16_t* count) {
    auto call = entry<CountFn>(kSync, "SyncGetDBRecordCount");
    return call ? call(handle, count) : kSyncUnavailable;
}

int32_t Win32Platform_t::readRecordByIndex(RecordBlock_t* block) {
    auto call = byOrdinal<ReadFn>(kSync, 36);
    return call ? call(block) : kSyncUnavailable;
}

uint16_t Win32Platform_t::handheldToHostWord(uint16_t value) {
    auto call = entry<WordFn>(kSync, "SyncHHToHostWord");
    return call ? static_cast<uint16_t>(call(value)) : value;
}

int32_t Win32Platform_t::closeDatabase(uint8_t handle) {
    auto call = byOrdinal<HandleFn>(kSync, 28);
    return call ? call(handle) : kSyncUnavailable;
}

int32_t Win32Platform_t::userId(const char* userName, uint32_t* id) {
    auto call = byOrdinal<UserIdFn>(kUserData, 145);
    return call ? call(userName, id) : kSyncUnavailable;
}

int32_t Win32Platform_t::rootDirectory(char* buffer, uint32_t* size) {
    auto call = byOrdinal<RootFn>(kUserData, 105);
    return call ? call(buffer, size) : -1;
}

int32_t Win32Platform_t::userDirectory(uint32_t id, char* buffer, uint32_t* size) {
    auto call = byOrdinal<UserDirFn>(kUserData, 104);
    return call ? call(id, buffer, size) : -1;
}

int32_t Win32Platform_t::storeSetting(uint32_t id, const char* section, const char* key, const char* value) {
    auto call = byOrdinal<SetStringFn>(kUserData, 141);
    return call ? call(id, section, key, value) : kSyncUnavailable;
}

int32_t Win32Platform_t::conduitDirectory(const char* creator, char* buffer, uint32_t* size) {
    auto call = byOrdinal<CreatorFolderFn>(kConduits, 49);
    return call ? call(creator, buffer, size) : kSyncUnavailable;
}

} // namespace plm
