// Arbitrary bytes as a handheld's TrackDB.pdb, through the file-backed Sync Manager and the track
// reader. Any exception of the module's own is fine; a crash, a leak or undefined behaviour is not.
#include "app/PalmDatabase.h"
#include "plm/desktop/PLM_PdbHandheld.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string scratchFile() {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/pathlet_fuzz_" + std::to_string(getpid()) + ".pdb";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = scratchFile();
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
