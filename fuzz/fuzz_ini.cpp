// Arbitrary bytes as the desktop's ini files: users.ini, conduits.ini and a user's settings.ini,
// the three separated by a zero byte. Each is read as the host reads it (the users that can
// HotSync and the problems of the others, the conduit's directory, the remembered code page, the
// host's actions, the conduit's file name), and an ini file read, written and read again must keep
// every section and key in order.
#include "FuzzInput.h"
#include "FuzzMemory.h"

#include "host/platform/HotSyncRoot.h"
#include "host/platform/IniFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string& scratchRoot() {
    // Never destroyed, so that the clean-up at exit can still name it.
    static const std::string& root = *new std::string([] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string path = std::string(dir) + "/pathlet_fuzz_ini_" + std::to_string(getpid());
        fs::remove_all(path);
        fs::create_directories(path + "/u");
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(scratchRoot(), ignored);
        });
        return path;
    }());
    return root;
}

void put(const std::string& path, std::string_view bytes) {
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
}

// The next part of the input up to a zero byte, or the rest.
std::string_view part(std::string_view& input) {
    const std::size_t zero = input.find('\0');
    const std::string_view taken = input.substr(0, zero);
    input.remove_prefix(zero == std::string_view::npos ? input.size() : zero + 1);
    return taken;
}

void roundTrip(const std::string& file) {
    const host::IniFile first = host::IniFile::load(file);
    const std::string copy = file + ".again";
    first.save(copy);
    if (host::IniFile::load(copy).sections() != first.sections())
        __builtin_trap(); // a setting lost or changed by writing the file back
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::MemoryBound_t bound(size, 32, 256 * 1024);
    const std::string& root = scratchRoot();
    std::string_view input = fuzzing::asText(data, size);
    put(root + "/users.ini", part(input));
    put(root + "/conduits.ini", part(input));
    put(root + "/u/settings.ini", part(input));

    // A file that cannot be read is a std::runtime_error, as the host reports it.
    try {
        host::HotSyncRoot desktop(root);
        for (const std::string& problem : desktop.problems())
            (void)problem;
        const host::IniFile users = host::IniFile::load(root + "/users.ini");
        for (const auto& [name, keys] : users.sections()) {
            desktop.problemWith(name);
            desktop.hostAction(name, "next_action");
            desktop.hostAction(name, "default_action");
            if (const auto user = desktop.user(name)) {
                uint32_t id = 0;
                desktop.userId(name.c_str(), &id);
                if (user->directory == "u")
                    desktop.conduitFileName(*user);
            }
        }
        const host::IniFile conduits = host::IniFile::load(root + "/conduits.ini");
        for (const auto& [creator, keys] : conduits.sections())
            desktop.conduitDirectoryName(creator);
        desktop.conduitDirectoryName("VTRK");
        host::rememberedCodePage(root + "/u");
        for (const char* file : {"/users.ini", "/conduits.ini", "/u/settings.ini"})
            roundTrip(root + file);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
