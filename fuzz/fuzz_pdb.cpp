// Arbitrary bytes as a Palm database file: the name, the header and the record list, read from a
// whole file and from the first bytes of a longer one (as the handheld file reader does). A layout
// that reads must describe records within the file, and written again it must read back the same.
#include "FuzzInput.h"
#include "FuzzMemory.h"

#include "plm/desktop/PLM_PdbFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

void roundTrip(std::string_view file, const plm::pdb::Layout_t& layout) {
    const std::size_t count = layout.records.size();
    if (layout.bounds.size() != count + 1 || layout.bounds.back() != file.size())
        __builtin_trap();
    std::vector<plm::pdb::Record_t> records;
    for (std::size_t i = 0; i < count; ++i) {
        if (layout.bounds[i] > layout.bounds[i + 1] || layout.bounds[i] < plm::pdb::listEnd(layout.header))
            __builtin_trap();
        records.push_back({layout.records[i].attributes, layout.records[i].uniqueId,
                           file.substr(layout.bounds[i], layout.bounds[i + 1] - layout.bounds[i])});
    }
    plm::pdb::Header_t header = layout.header;
    header.appInfo = 0;
    header.sortInfo = 0;
    const std::string again = plm::pdb::build(header, records);
    const plm::pdb::Layout_t back = plm::pdb::readLayout(again);
    if (back.records.size() != count || back.header.name != layout.header.name.substr(0, 31))
        __builtin_trap();
    for (std::size_t i = 0; i < count; ++i)
        if (again.substr(back.bounds[i], back.bounds[i + 1] - back.bounds[i]) != records[i].data ||
            back.records[i].uniqueId != records[i].uniqueId ||
            back.records[i].attributes != records[i].attributes)
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The layout's lists and the file written again: a few times the input.
    const fuzzing::MemoryBound_t bound(size, 16, 64 * 1024);
    const std::string_view file = fuzzing::asText(data, size);
    plm::pdb::readName(file);
    try {
        roundTrip(file, plm::pdb::readLayout(file));
    } catch (const plm::pdb::Damaged_t&) {
    }
    // The first bytes of a file that says it is longer: records may lie past what was read.
    if (size >= 4) {
        const uint64_t claimed =
            size + (uint64_t{data[0]} << 24 | uint64_t{data[1]} << 16 | uint64_t{data[2]} << 8 | data[3]);
        try {
            const plm::pdb::Layout_t layout = plm::pdb::readLayout(file, claimed);
            if (layout.bounds.back() != claimed)
                __builtin_trap();
        } catch (const plm::pdb::Damaged_t&) {
        }
    }
    return 0;
}
