// Arbitrary bytes as a Tracks.tlx file through the record file reader.
#include "FuzzMemory.h"

#include "rec/REC_DatabaseReader.h"

#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file, the database read from it: a few times the file.
    const fuzzing::MemoryBound_t bound(size, 64, 1024 * 1024);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
        nav::Database_t database(nav::Name_t(""), 3);
        rec::readDatabase(in, database);
    } catch (const glo::Exception_t&) {
    }
    return 0;
}
