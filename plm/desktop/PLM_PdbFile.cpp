#include "plm/desktop/PLM_PdbFile.h"

#include "bin/BIN_Bytes.h"

namespace plm::pdb {

namespace {

// The sizes are checked before any field is read; a slip would still be an error, never a read
// past the bytes.
using Reader_t = bin::BasicByteReader_t<Damaged_t>;

constexpr std::size_t kPaddingSize = 2;

} // namespace

std::string readName(std::string_view bytes) {
    if (bytes.size() < kNameSize)
        return {};
    return Reader_t(bytes, "the database name", bin::ByteOrder_t::Big).text(kNameSize);
}

Header_t readHeader(std::string_view bytes, uint64_t fileSize) {
    if (fileSize < kHeaderSize || bytes.size() < kHeaderSize)
        throw Damaged_t("its " + std::to_string(fileSize) + " bytes are shorter than a database header (" +
                        std::to_string(kHeaderSize) + ")");
    Reader_t in(bytes, "the database header", bin::ByteOrder_t::Big);
    Header_t header;
    header.name = in.text(kNameSize);
    header.attributes = in.u16();
    header.version = in.u16();
    header.created = in.u32();
    header.modified = in.u32();
    header.backedUp = in.u32();
    header.modificationNumber = in.u32();
    header.appInfo = in.u32();
    header.sortInfo = in.u32();
    header.type = std::string(in.bytes(4));
    header.creator = std::string(in.bytes(4));
    header.uniqueIdSeed = in.u32();
    header.nextRecordList = in.u32();
    header.recordCount = in.u16();
    return header;
}

uint64_t listEnd(const Header_t& header) {
    return kHeaderSize + uint64_t{header.recordCount} * kRecordEntrySize;
}

Layout_t readLayout(std::string_view bytes, uint64_t fileSize) {
    Layout_t layout;
    layout.header = readHeader(bytes, fileSize);
    const uint64_t count = layout.header.recordCount;
    const uint64_t end = listEnd(layout.header);
    if (end > fileSize || end > bytes.size())
        throw Damaged_t("its list of " + std::to_string(count) + " records runs past the end of the file");
    Reader_t list(bytes.substr(kHeaderSize, static_cast<std::size_t>(end - kHeaderSize)), "the record list",
                  bin::ByteOrder_t::Big);
    layout.records.reserve(static_cast<std::size_t>(count));
    layout.bounds.reserve(static_cast<std::size_t>(count + 1));
    uint64_t previous = end;
    for (uint64_t i = 0; i < count; ++i) {
        RecordEntry_t entry;
        entry.offset = list.u32();
        entry.attributes = list.u8();
        entry.uniqueId = list.u24();
        if (entry.offset > fileSize)
            throw Damaged_t("record " + std::to_string(i) + " starts past the end of the file");
        if (entry.offset < previous)
            throw Damaged_t("record " + std::to_string(i) +
                            (i ? " starts before the record before it" : " starts inside the record list"));
        previous = entry.offset;
        layout.records.push_back(entry);
        layout.bounds.push_back(entry.offset);
    }
    layout.bounds.push_back(fileSize);
    return layout;
}

std::string build(const Header_t& header, const std::vector<Record_t>& records) {
    if (records.size() > kMaxRecords)
        throw std::length_error("a Palm database holds at most 65535 records");
    if (header.appInfo || header.sortInfo)
        throw std::invalid_argument("a database built here carries no application or sort info block");
    uint64_t size = kHeaderSize + kRecordEntrySize * records.size() + kPaddingSize;
    for (const Record_t& record : records) {
        if (record.uniqueId > 0xFFFFFF)
            throw std::invalid_argument("a record's unique id has 24 bits, not " +
                                        std::to_string(record.uniqueId));
        size += record.data.size();
    }
    // The last record may end at 4 GiB, but must start below it.
    if (size - (records.empty() ? 0 : records.back().data.size()) > 0xFFFFFFFF)
        throw std::length_error("a Palm database of " + std::to_string(size) +
                                " bytes: its records lie beyond what 32-bit offsets reach");

    bin::ByteWriter_t out(bin::ByteOrder_t::Big);
    out.fixedText(header.name, kNameSize - 1).u8(0);
    out.u16(header.attributes).u16(header.version);
    out.u32(header.created).u32(header.modified).u32(header.backedUp).u32(header.modificationNumber);
    out.u32(header.appInfo).u32(header.sortInfo);
    out.fixedText(header.type, 4).fixedText(header.creator, 4);
    out.u32(header.uniqueIdSeed).u32(header.nextRecordList);
    out.u16(static_cast<uint16_t>(records.size()));
    uint64_t offset = kHeaderSize + kRecordEntrySize * records.size() + kPaddingSize;
    for (const Record_t& record : records) {
        out.u32(static_cast<uint32_t>(offset)).u8(record.attributes).u24(record.uniqueId);
        offset += record.data.size();
    }
    out.zeros(kPaddingSize);
    for (const Record_t& record : records)
        out.bytes(record.data);
    return out.take();
}

} // namespace plm::pdb
