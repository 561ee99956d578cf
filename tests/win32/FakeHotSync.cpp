// Fake HotSync libraries for the Wine tests, one per -D switch. Each entry has the prototype and
// calling convention of the platform's published headers, not the module's: the log and the Sync
// Manager are __cdecl, the user data and the conduit manager WINAPI, the user-data sizes 16 bits.
// On 32-bit Windows a caller with the wrong convention crashes here.
//
// They serve a handheld from the .pdb named by PATHLET_FAKE_HANDHELD, one user "Alice" (id 1,
// directory "alice") under the root PATHLET_FAKE_ROOT, and record every log entry, stored setting
// and argument the platform would refuse in files under PATHLET_FAKE_OUT (violations.txt stays
// empty when every call was made as the platform expects). CONDMGR keeps its registrations in
// PATHLET_FAKE_OUT\conduits.txt; without one, creator VTRK has the directory "Pathlet".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#ifdef FAKE_SYNC20
#include "plm/desktop/PLM_PdbHandheld.h"
#endif

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string outFile(const char* file) {
    return environment("PATHLET_FAKE_OUT") + "\\" + file;
}

[[maybe_unused]] void append(const char* file, const std::string& line) {
    if (FILE* out = std::fopen(outFile(file).c_str(), "ab")) {
        std::fputs(line.c_str(), out);
        std::fclose(out);
    }
}

[[maybe_unused]] void violation(const std::string& what) {
    append("violations.txt", what + "\n");
}

template <class Size> bool copyOut(const std::string& text, char* buffer, Size* size) {
    if (!buffer || !size || *size < 0 || text.size() + 1 > static_cast<std::size_t>(*size))
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

#ifdef FAKE_SYNC20
// The Sync Manager's record-transfer block as the platform declares it (32-bit layout, packed).
#pragma pack(push, 1)
struct RawRecordInfo {
    BYTE fileHandle;  // 0
    DWORD recordId;   // 1
    WORD recordIndex; // 5
    BYTE attributes;  // 7
    short category;   // 8
    int conduitId;    // 10
    DWORD recordSize; // 14: written by the read
    WORD totalBytes;  // 18: the buffer's capacity
    BYTE* bytes;      // 20
    DWORD reserved;   // 24 (28 on 64-bit builds of the harness)
};
#pragma pack(pop)
static_assert(offsetof(RawRecordInfo, recordSize) == 14 && offsetof(RawRecordInfo, bytes) == 20);

plm::PdbHandheld_t& handheld() {
    static plm::PdbHandheld_t served(environment("PATHLET_FAKE_HANDHELD"));
    return served;
}
#endif

#ifdef FAKE_CONDMGR
// Registrations: creator -> field -> value, kept in a file so that separate processes share them.
using Registry = std::map<std::string, std::map<std::string, std::string>>;

bool persistent() {
    return !environment("PATHLET_FAKE_OUT").empty() &&
           GetFileAttributesA(outFile("conduits.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
}

Registry loadRegistry() {
    Registry registry;
    std::ifstream in(outFile("conduits.txt"));
    std::string creator, field, value;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        if (std::getline(words, creator, '\t') && std::getline(words, field, '\t')) {
            std::getline(words, value);
            registry[creator][field] = value;
        }
    }
    return registry;
}

void saveRegistry(const Registry& registry) {
    std::ofstream out(outFile("conduits.txt"), std::ios::trunc);
    for (const auto& [creator, fields] : registry)
        for (const auto& [field, value] : fields)
            out << creator << '\t' << field << '\t' << value << '\n';
}

bool validCreator(const char* creator) {
    return creator && std::strlen(creator) == 4;
}

constexpr int kErrNotFound = -1002;     // the creator has no conduit
constexpr int kErrAlreadyInUse = -1006; // the creator is taken
constexpr int kErrBadArgument = -1001;
constexpr int kErrBufferTooSmall = -1010;

int setField(const char* creator, const char* field, const char* value) {
    append("condmgr.txt", std::string(field) + " " + (creator ? creator : "(null)") + " " +
                              (value ? value : "(null)") + "\n");
    if (!validCreator(creator) || !value)
        return kErrBadArgument;
    Registry registry = loadRegistry();
    auto found = registry.find(creator);
    if (found == registry.end())
        return kErrNotFound;
    found->second[field] = value;
    saveRegistry(registry);
    return 0;
}
#endif

} // namespace

extern "C" {

#ifdef FAKE_HSLOG20
long __cdecl FakeLogAddEntry(const char* text, int activity, BOOL timeStamp) {
    std::string escaped;
    for (const char* c = text; c && *c; ++c)
        escaped += *c == '\n' ? std::string("\\n") : std::string(1, *c);
    append("log.txt", std::to_string(activity) + " " + escaped + " (" + std::to_string(timeStamp) + ")\n");
    return 0;
}
#endif

#ifdef FAKE_SYNC20
long __cdecl FakeRegisterConduit(DWORD* handle) {
    uint32_t value = 0;
    const long result = handheld().registerConduit(&value);
    *handle = value;
    return result;
}
long __cdecl FakeUnRegisterConduit(DWORD handle) {
    return handheld().unregisterConduit(handle);
}
long __cdecl FakeOpenDB(const char* name, int card, BYTE* handle, BYTE mode) {
    if (card != 0 || mode != 0x90)
        violation("SyncOpenDB card " + std::to_string(card) + " mode " + std::to_string(mode));
    return handheld().openDatabase(name, card, handle, mode);
}
long __cdecl FakeCloseDB(BYTE handle) {
    return handheld().closeDatabase(handle);
}
long __cdecl FakeReadRecordByIndex(RawRecordInfo* block) {
    if (block->recordId || block->attributes || block->category || block->conduitId || block->reserved)
        violation("SyncReadRecordByIndex: the block's unused fields are not zero");
    plm::RecordBlock_t ours{};
    ours.databaseHandle = block->fileHandle;
    ours.index = block->recordIndex;
    ours.capacity = block->totalBytes;
    ours.buffer = reinterpret_cast<char*>(block->bytes);
    const long result = handheld().readRecordByIndex(&ours);
    block->recordSize = ours.size;
    return result;
}
long __cdecl SyncGetDBRecordCount(BYTE handle, WORD* count) {
    uint16_t value = 0;
    const long result = handheld().recordCount(handle, &value);
    *count = value;
    return result;
}
WORD __cdecl SyncHHToHostWord(WORD value) {
    return static_cast<WORD>((value << 8) | (value >> 8));
}
#endif

#ifdef FAKE_USERDATA
long WINAPI FakeGetUserId(const char* name, DWORD* id) {
    if (!name || std::strcmp(name, "Alice") != 0)
        return 0x4004;
    *id = 1;
    return 0;
}
long WINAPI FakeGetRootDirectory(char* buffer, short* size) {
    if (!size || *size != 260)
        violation("UdGetRootDirectory: size is not 260");
    const std::string root = environment("PATHLET_FAKE_ROOT") + "\\";
    return copyOut(root, buffer, size) ? static_cast<long>(root.size()) : -1;
}
long WINAPI FakeGetUserDirectory(DWORD id, char* buffer, short* size) {
    if (!size || *size != 260)
        violation("UdGetUserDirectory: size is not 260");
    return id == 1 && copyOut("alice", buffer, size) ? 0 : -1;
}
long WINAPI FakeSetString(DWORD id, const char* section, const char* key, const char* value) {
    append("settings.txt", std::to_string(id) + " [" + section + "] " + key + "=" + value + "\n");
    return 0;
}
#endif

#ifdef FAKE_CONDMGR
int WINAPI FakeGetCreatorFolder(const char* creator, char* buffer, int* size) {
    if (!size || *size != 260)
        violation("conduit directory: size is not 260");
    std::string directory = "Pathlet";
    if (persistent()) {
        const Registry registry = loadRegistry();
        auto found = registry.find(creator ? creator : "");
        if (found == registry.end() || !found->second.count("directory"))
            return kErrNotFound;
        directory = found->second.at("directory");
    } else if (!creator || std::strcmp(creator, "VTRK") != 0) {
        return kErrNotFound;
    }
    return copyOut(directory, buffer, size) ? 0 : kErrBufferTooSmall;
}

int WINAPI CmGetHotSyncExecPath(char* path, int* size) {
    append("condmgr.txt", "CmGetHotSyncExecPath\n");
    const std::string exe = environment("PATHLET_FAKE_HOTSYNC_EXE");
    if (exe.empty())
        return kErrNotFound;
    return copyOut(exe, path, size) ? 0 : kErrBufferTooSmall;
}

int WINAPI CmInstallCreator(const char* creator, int type) {
    append("condmgr.txt", std::string("CmInstallCreator ") + (creator ? creator : "(null)") + " " +
                              std::to_string(type) + "\n");
    if (!validCreator(creator) || type != 1)
        return kErrBadArgument;
    Registry registry = loadRegistry();
    if (registry.count(creator))
        return kErrAlreadyInUse;
    registry[creator]["type"] = std::to_string(type);
    saveRegistry(registry);
    return 0;
}

int WINAPI CmSetCreatorName(const char* creator, const char* name) {
    return setField(creator, "name", name);
}
int WINAPI CmSetCreatorDirectory(const char* creator, const char* directory) {
    return setField(creator, "directory", directory);
}
int WINAPI CmSetCreatorTitle(const char* creator, const char* title) {
    return setField(creator, "title", title);
}
int WINAPI CmSetCreatorRemote(const char* creator, const char* remote) {
    return setField(creator, "remote", remote);
}

int WINAPI CmGetCreatorName(const char* creator, char* name, int* size) {
    if (!validCreator(creator))
        return kErrBadArgument;
    const Registry registry = loadRegistry();
    auto found = registry.find(creator);
    if (found == registry.end() || !found->second.count("name"))
        return kErrNotFound;
    return copyOut(found->second.at("name"), name, size) ? 0 : kErrBufferTooSmall;
}

int WINAPI CmRemoveConduitByCreatorID(const char* creator) {
    append("condmgr.txt", std::string("CmRemoveConduitByCreatorID ") + (creator ? creator : "(null)") + "\n");
    if (!validCreator(creator))
        return kErrBadArgument;
    Registry registry = loadRegistry();
    if (!registry.erase(creator))
        return kErrNotFound;
    saveRegistry(registry);
    return 0;
}
#endif
}
