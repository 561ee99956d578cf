// Arbitrary bytes as a handheld's TrackDB.pdb, through the file-backed Sync Manager and the track
// reader. Any exception of the module's own is fine; a crash, a leak or undefined behaviour is not.
#include "FuzzMemory.h"

#include "app/PalmDatabase.h"
#include "plm/desktop/PLM_PdbHandheld.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string scratchFile() {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/pathlet_fuzz_" + std::to_string(getpid()) + ".pdb";
}

// Never destroyed, so that the clean-up at exit can still name it.
const std::string& scratchPath() {
    static const std::string& path = *new std::string([] {
        std::atexit([] { std::remove(scratchPath().c_str()); });
        return scratchFile();
    }());
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file's records and the tracks read from them: a few times the file, and the conduit's
    // fixed costs.
    const fuzzing::MemoryBound_t bound(size, 64, 4 * 1024 * 1024);
    const std::string& path = scratchPath();
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    plm::PdbHandheld_t handheld(path);
    plm::setPlatform({nullptr, &handheld, nullptr, nullptr});
    try {
        nav::Database_t database(nav::Name_t(""), 3);
        app::importTracks(database);
    } catch (const glo::Exception_t&) {
    }
    plm::setPlatform({});
    return 0;
}
