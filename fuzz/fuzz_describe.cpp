// Arbitrary text as a handheld description of the generator (pathlet-pdbgen describe): the
// statements read into records, and the records into a database file that must read back. A line
// it cannot read is a std::runtime_error naming it; the records it makes must stay within what a
// handheld record can hold, whatever the layout overrides say.
#include "FuzzInput.h"
#include "FuzzMemory.h"

#include "plm/desktop/PLM_PdbFile.h"
#include "synth/SYN_Description.h"
#include "synth/SYN_PdbFile.h"

#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A line costs at most one handheld record (64 KB) and takes at least 10 bytes ("point 0 0"
    // and its end) to make one; the records, the file made of them and the copies on the way are four times
    // that.
    const fuzzing::MemoryBound_t bound(size, 4 * 65536 / 10, 256 * 1024);
    std::vector<std::string> records;
    try {
        records = synth::recordsFromDescription(std::string(fuzzing::asText(data, size)));
    } catch (const std::runtime_error&) {
        return 0;
    }
    for (const std::string& record : records)
        if (record.size() > 0xFFFF)
            __builtin_trap(); // no handheld could hold it
    try {
        const std::string file = synth::buildPdb("TrackDB", "Trck", "VTRK", records);
        if (plm::pdb::readLayout(file).records.size() != records.size())
            __builtin_trap();
    } catch (const std::length_error&) {
    }
    return 0;
}
