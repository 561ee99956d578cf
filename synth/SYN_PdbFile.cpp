#include "synth/SYN_PdbFile.h"

#include "plm/desktop/PLM_PdbFile.h"

#include <fstream>
#include <stdexcept>

namespace synth {

namespace {

constexpr uint16_t kBackup = 0x0008;
constexpr uint8_t kDirty = 0x40;
constexpr uint32_t kFixedDate = 0xC0000000; // 2006-01-27 16:51:12 in handheld seconds since 1904

} // namespace

std::string buildPdb(const std::string& name, const std::string& type, const std::string& creator,
                     const std::vector<std::string>& records) {
    plm::pdb::Header_t header;
    header.name = name;
    header.attributes = kBackup;
    header.version = 1;
    header.created = kFixedDate;
    header.modified = kFixedDate;
    header.type = type;
    header.creator = creator;
    std::vector<plm::pdb::Record_t> entries;
    entries.reserve(records.size());
    for (const std::string& record : records)
        entries.push_back({kDirty, static_cast<uint32_t>(entries.size() + 1), record});
    return plm::pdb::build(header, entries);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !(out.close(), out))
        throw std::runtime_error("cannot write " + path);
}

} // namespace synth
