#include "PdbWriter.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace pdbgen {

namespace {

void putBigEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putFixed(std::string& out, const std::string& text, std::size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    out += field;
}

} // namespace

std::string buildPdb(const std::string& name, const std::string& type, const std::string& creator,
                     const std::vector<std::string>& records) {
    if (records.size() > 0xFFFF)
        throw std::runtime_error("a Palm database holds at most 65535 records");
    std::string out;
    putFixed(out, name, 31);
    out.push_back('\0');
    putBigEndian(out, 0x0008, 2);     // attributes: backup
    putBigEndian(out, 1, 2);          // version
    putBigEndian(out, 0xC0000000, 4); // creation date (handheld seconds since 1904)
    putBigEndian(out, 0xC0000000, 4); // modification date
    putBigEndian(out, 0, 4);          // last backup
    putBigEndian(out, 0, 4);          // modification number
    putBigEndian(out, 0, 4);          // application info
    putBigEndian(out, 0, 4);          // sort info
    putFixed(out, type, 4);
    putFixed(out, creator, 4);
    putBigEndian(out, 0, 4); // unique id seed
    putBigEndian(out, 0, 4); // next record list
    putBigEndian(out, records.size(), 2);

    uint64_t offset = 78 + 8 * records.size() + 2;
    for (std::size_t i = 0; i < records.size(); ++i) {
        putBigEndian(out, offset, 4);
        putBigEndian(out, 0x40, 1);  // attributes: dirty
        putBigEndian(out, i + 1, 3); // unique id
        offset += records[i].size();
    }
    out.append(2, '\0');
    for (const std::string& record : records)
        out += record;
    return out;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !(out.close(), out))
        throw std::runtime_error("cannot write " + path);
}

} // namespace pdbgen
