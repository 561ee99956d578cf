#ifndef PLM_DESKTOP_PLM_PDBFILE_H
#define PLM_DESKTOP_PLM_PDBFILE_H

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A Palm database file (.pdb, .prc), read and written in one place: a 78-byte header, then a list
// of 8 bytes per record, then the records, every number big-endian. A record runs from its offset
// to the next record's offset, the last one to the end of the file.
namespace plm::pdb {

constexpr std::size_t kHeaderSize = 78;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kRecordEntrySize = 8;
// The most records a file can list: the count is 16 bits.
constexpr std::size_t kMaxRecords = 0xFFFF;

// Dates are handheld seconds since 1904-01-01 00:00; 0 is none.
struct Header_t {
    std::string name; // zero-terminated in its 32 bytes, so at most 31 of them
    uint16_t attributes = 0;
    uint16_t version = 0;
    uint32_t created = 0;
    uint32_t modified = 0;
    uint32_t backedUp = 0;
    uint32_t modificationNumber = 0;
    uint32_t appInfo = 0;  // offset of the application info block; 0: none
    uint32_t sortInfo = 0; // offset of the sort info block; 0: none
    std::string type;      // 4 bytes
    std::string creator;   // 4 bytes
    uint32_t uniqueIdSeed = 0;
    uint32_t nextRecordList = 0;
    uint16_t recordCount = 0;
};

// One entry of the record list.
struct RecordEntry_t {
    uint32_t offset = 0;
    uint8_t attributes = 0; // flags in the high four bits, the category in the low four
    uint32_t uniqueId = 0;  // 24 bits
};

// What the header and the record list say, checked against the size of the file.
struct Layout_t {
    Header_t header;
    std::vector<RecordEntry_t> records;
    // Each record's offset, then the file size: record i is bounds[i] up to bounds[i + 1].
    std::vector<uint64_t> bounds;
};

// A file that is not a consistent database. The words say why, after "TrackDB.pdb is damaged: "
// ("record 3 starts past the end of the file").
struct Damaged_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The name in a file's first bytes; empty when they do not hold the whole name field.
std::string readName(std::string_view bytes);

// The header, from the first bytes of a file of `fileSize` bytes.
// @exception Damaged_t when either is shorter than a header.
Header_t readHeader(std::string_view bytes, uint64_t fileSize);

// Where the record list the header announces ends, and so where records may begin.
uint64_t listEnd(const Header_t& header);

// The header and the record list, from the first bytes of a file of `fileSize` bytes: they must
// hold the list (up to listEnd), the records themselves need not be there. Every record must start
// within the file, after the list and not before the record before it.
// @exception Damaged_t naming the first thing that is wrong.
Layout_t readLayout(std::string_view bytes, uint64_t fileSize);

// A whole file in memory.
inline Layout_t readLayout(std::string_view file) {
    return readLayout(file, file.size());
}

// A record to write: its list entry's facts and its bytes.
struct Record_t {
    uint8_t attributes = 0;
    uint32_t uniqueId = 0; // 24 bits
    std::string_view data;
};

// A whole file: the header as given (the name cut to 31 bytes, type and creator to 4, the record
// count that of `records`), the record list, two bytes of padding as handheld backups have them,
// and the records in order. The file carries no application or sort info block, so both offsets
// must be 0. @exception std::length_error for more than kMaxRecords records or more bytes than
// 32-bit offsets reach, std::invalid_argument for a unique id past 24 bits or an info block.
std::string build(const Header_t& header, const std::vector<Record_t>& records);

} // namespace plm::pdb

#endif
