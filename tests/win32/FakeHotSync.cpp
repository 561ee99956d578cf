// Fake HotSync libraries for the Wine tests, one per -D switch: they serve a handheld from the
// .pdb named by PATHLET_FAKE_HANDHELD, one user "Alice" (id 1, directory "alice") under the root
// PATHLET_FAKE_ROOT, and record every log entry and stored setting in files under PATHLET_FAKE_OUT.
#include "plm/PLM_RecordBlock.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef FAKE_SYNC20
#include "plm/desktop/PLM_PdbHandheld.h"
#endif

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

[[maybe_unused]] void append(const char* file, const std::string& line) {
    const std::string path = environment("PATHLET_FAKE_OUT") + "\\" + file;
    if (FILE* out = std::fopen(path.c_str(), "ab")) {
        std::fputs(line.c_str(), out);
        std::fclose(out);
    }
}

[[maybe_unused]] bool copyOut(const std::string& text, char* buffer, const uint32_t* size) {
    if (!buffer || !size || text.size() + 1 > *size)
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

#ifdef FAKE_SYNC20
plm::PdbHandheld_t& handheld() {
    static plm::PdbHandheld_t served(environment("PATHLET_FAKE_HANDHELD"));
    return served;
}
#endif

} // namespace

extern "C" {

#ifdef FAKE_HSLOG20
int32_t FakeLogAddEntry(const char* text, int32_t activity, int32_t flag) {
    std::string escaped;
    for (const char* c = text; c && *c; ++c)
        escaped += *c == '\n' ? std::string("\\n") : std::string(1, *c);
    append("log.txt", std::to_string(activity) + " " + escaped + " (" + std::to_string(flag) + ")\n");
    return 0;
}
#endif

#ifdef FAKE_SYNC20
int32_t FakeRegisterConduit(uint32_t* handle) {
    return handheld().registerConduit(handle);
}
int32_t FakeUnRegisterConduit(uint32_t handle) {
    return handheld().unregisterConduit(handle);
}
int32_t FakeOpenDB(const char* name, int32_t card, uint8_t* handle, int32_t mode) {
    return handheld().openDatabase(name, card, handle, static_cast<uint8_t>(mode));
}
int32_t FakeCloseDB(uint32_t handle) {
    return handheld().closeDatabase(static_cast<uint8_t>(handle));
}
int32_t FakeReadRecordByIndex(plm::RecordBlock_t* block) {
    return handheld().readRecordByIndex(block);
}
int32_t SyncGetDBRecordCount(uint32_t handle, uint16_t* count) {
    return handheld().recordCount(static_cast<uint8_t>(handle), count);
}
uint32_t SyncHHToHostWord(uint32_t value) {
    return handheld().handheldToHostWord(static_cast<uint16_t>(value));
}
#endif

#ifdef FAKE_USERDATA
int32_t FakeGetUserId(const char* name, uint32_t* id) {
    if (!name || std::strcmp(name, "Alice") != 0)
        return 0x4004;
    *id = 1;
    return 0;
}
int32_t FakeGetRootDirectory(char* buffer, uint32_t* size) {
    const std::string root = environment("PATHLET_FAKE_ROOT") + "\\";
    return copyOut(root, buffer, size) ? static_cast<int32_t>(root.size()) : -1;
}
int32_t FakeGetUserDirectory(uint32_t id, char* buffer, uint32_t* size) {
    return id == 1 && copyOut("alice", buffer, size) ? 0 : -1;
}
int32_t FakeSetString(uint32_t id, const char* section, const char* key, const char* value) {
    append("settings.txt", std::to_string(id) + " [" + section + "] " + key + "=" + value + "\n");
    return 0;
}
#endif

#ifdef FAKE_CONDMGR
int32_t FakeGetCreatorFolder(const char* creator, char* buffer, uint32_t* size) {
    return std::strcmp(creator, "VTRK") == 0 && copyOut("Pathlet", buffer, size) ? 0 : 0x4004;
}
#endif
}
