#include "plm/desktop/PLM_PdbFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using testsupport::Bytes;
using testsupport::bytesOf;
using testsupport::concat;

namespace pdb = plm::pdb;

namespace {

pdb::Header_t sampleHeader() {
    pdb::Header_t header;
    header.name = "TrackDB";
    header.attributes = 0x0008;
    header.version = 1;
    header.created = 0x01020304;
    header.modified = 0x05060708;
    header.backedUp = 0x090A0B0C;
    header.modificationNumber = 0x0D0E0F10;
    header.type = "Trck";
    header.creator = "VTRK";
    header.uniqueIdSeed = 0x11121314;
    return header;
}

// Two records, "ab" and "c", at 96 and 98 of a 99-byte file.
std::string sampleFile() {
    return pdb::build(sampleHeader(), {{0x40, 1, "ab"}, {0x4A, 0xABCDEF, "c"}});
}

// The words of the Damaged_t that reading raises.
std::string damage(const std::string& bytes, uint64_t fileSize) {
    try {
        pdb::readLayout(bytes, fileSize);
    } catch (const pdb::Damaged_t& e) {
        return e.what();
    }
    ADD_FAILURE() << "read as good";
    return {};
}

std::string damage(const std::string& file) {
    return damage(file, file.size());
}

// The file with its list entry `index` starting at `offset`.
std::string withOffset(std::string file, std::size_t index, uint32_t offset) {
    const std::size_t at = pdb::kHeaderSize + index * pdb::kRecordEntrySize;
    for (std::size_t i = 0; i < 4; ++i)
        file[at + i] = static_cast<char>(offset >> (24 - 8 * i));
    return file;
}

} // namespace

TEST(PdbFile, BuildsHeaderListPaddingAndRecords) {
    const Bytes name = concat({bytesOf("TrackDB"), Bytes(25, 0)});
    const Bytes expected =
        concat({name,
                {0x00, 0x08, 0x00, 0x01},                         // attributes, version
                {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}, // created, modified
                {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10}, // backed up, modification
                {0, 0, 0, 0, 0, 0, 0, 0},                         // app info, sort info
                bytesOf("TrckVTRK"),
                {0x11, 0x12, 0x13, 0x14, 0, 0, 0, 0}, // seed, next list
                {0x00, 0x02},                         // records
                {0, 0, 0, 0x60, 0x40, 0x00, 0x00, 0x01},
                {0, 0, 0, 0x62, 0x4A, 0xAB, 0xCD, 0xEF},
                {0, 0}, // padding
                bytesOf("abc")});
    EXPECT_EQ(bytesOf(sampleFile()), expected);
}

TEST(PdbFile, NamesTypesAndCreatorsAreCutToTheirFields) {
    pdb::Header_t header = sampleHeader();
    header.name = std::string(40, 'n');
    header.type = "Tr";
    header.creator = "VTRKX";
    const std::string file = pdb::build(header, {});
    ASSERT_EQ(file.size(), pdb::kHeaderSize + 2);
    EXPECT_EQ(bytesOf(file.substr(0, 32)), concat({Bytes(31, 'n'), {0}}));
    EXPECT_EQ(bytesOf(file.substr(60, 8)), (Bytes{'T', 'r', 0, 0, 'V', 'T', 'R', 'K'}));
    EXPECT_EQ(pdb::readLayout(file).header.name, std::string(31, 'n'));
}

TEST(PdbFile, ReadsBackEveryFieldAndWhereEachRecordLies) {
    const std::string file = sampleFile();
    const pdb::Layout_t layout = pdb::readLayout(file);
    const pdb::Header_t& header = layout.header;
    EXPECT_EQ(header.name, "TrackDB");
    EXPECT_EQ(header.attributes, 0x0008);
    EXPECT_EQ(header.version, 1);
    EXPECT_EQ(header.created, 0x01020304u);
    EXPECT_EQ(header.modified, 0x05060708u);
    EXPECT_EQ(header.backedUp, 0x090A0B0Cu);
    EXPECT_EQ(header.modificationNumber, 0x0D0E0F10u);
    EXPECT_EQ(header.appInfo, 0u);
    EXPECT_EQ(header.sortInfo, 0u);
    EXPECT_EQ(header.type, "Trck");
    EXPECT_EQ(header.creator, "VTRK");
    EXPECT_EQ(header.uniqueIdSeed, 0x11121314u);
    EXPECT_EQ(header.nextRecordList, 0u);
    EXPECT_EQ(header.recordCount, 2);
    ASSERT_EQ(layout.records.size(), 2u);
    EXPECT_EQ(layout.records[0].offset, 96u);
    EXPECT_EQ(layout.records[0].attributes, 0x40);
    EXPECT_EQ(layout.records[0].uniqueId, 1u);
    EXPECT_EQ(layout.records[1].offset, 98u);
    EXPECT_EQ(layout.records[1].attributes, 0x4A);
    EXPECT_EQ(layout.records[1].uniqueId, 0xABCDEFu);
    EXPECT_EQ(layout.bounds, (std::vector<uint64_t>{96, 98, 99}));
    EXPECT_EQ(pdb::listEnd(header), 94u);
}

TEST(PdbFile, TheHeaderAndListAloneSayWhereRecordsLieInABiggerFile) {
    const std::string start = sampleFile().substr(0, 94);
    EXPECT_EQ(pdb::readLayout(start, 99).bounds, (std::vector<uint64_t>{96, 98, 99}));
    // A file far larger than 32-bit offsets reach: its last record runs to its end.
    const uint64_t huge = uint64_t{1} << 40;
    EXPECT_EQ(pdb::readLayout(start, huge).bounds, (std::vector<uint64_t>{96, 98, huge}));
    // A record may start at the very end: it is empty.
    EXPECT_EQ(pdb::readLayout(withOffset(sampleFile(), 1, 99)).bounds, (std::vector<uint64_t>{96, 99, 99}));
}

TEST(PdbFile, EachInconsistencyIsNamed) {
    const std::string file = sampleFile();
    EXPECT_EQ(damage(file.substr(0, 60)), "its 60 bytes are shorter than a database header (78)");
    EXPECT_EQ(damage(""), "its 0 bytes are shorter than a database header (78)");
    EXPECT_EQ(damage(file, 77), "its 77 bytes are shorter than a database header (78)");
    EXPECT_EQ(damage(file.substr(0, 77), 99), "its 99 bytes are shorter than a database header (78)");

    std::string tooMany = file;
    tooMany[76] = static_cast<char>(0xFF);
    tooMany[77] = static_cast<char>(0xFF);
    EXPECT_EQ(damage(tooMany), "its list of 65535 records runs past the end of the file");
    EXPECT_EQ(damage(tooMany, uint64_t{1} << 40), "its list of 65535 records runs past the end of the file");
    EXPECT_EQ(damage(file.substr(0, 93), 99), "its list of 2 records runs past the end of the file");
    EXPECT_EQ(damage(file.substr(0, 93)), "its list of 2 records runs past the end of the file");

    EXPECT_EQ(damage(withOffset(file, 1, 100)), "record 1 starts past the end of the file");
    EXPECT_EQ(damage(withOffset(file, 0, 0xFFFFFFFF)), "record 0 starts past the end of the file");
    EXPECT_EQ(damage(withOffset(file, 1, 95)), "record 1 starts before the record before it");
    EXPECT_EQ(damage(withOffset(file, 0, 93)), "record 0 starts inside the record list");
    EXPECT_EQ(damage(withOffset(file, 0, 0)), "record 0 starts inside the record list");
    // Right after the list, without the padding, is a good place to start.
    EXPECT_EQ(pdb::readLayout(withOffset(file, 0, 94)).bounds.front(), 94u);
}

TEST(PdbFile, TheNameIsReadFromItsWholeField) {
    const std::string file = sampleFile();
    EXPECT_EQ(pdb::readName(file), "TrackDB");
    EXPECT_EQ(pdb::readName(file.substr(0, 32)), "TrackDB");
    EXPECT_EQ(pdb::readName(file.substr(0, 31)), "");
    EXPECT_EQ(pdb::readName(std::string(32, 'x')), std::string(32, 'x'));
}

TEST(PdbFile, WhatTheLayoutCannotHoldIsNotBuilt) {
    const std::vector<pdb::Record_t> tooMany(pdb::kMaxRecords + 1);
    try {
        pdb::build(sampleHeader(), tooMany);
        FAIL();
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "a Palm database holds at most 65535 records");
    }
    EXPECT_EQ(pdb::build(sampleHeader(), std::vector<pdb::Record_t>(pdb::kMaxRecords)).size(),
              pdb::kHeaderSize + pdb::kMaxRecords * pdb::kRecordEntrySize + 2);
    EXPECT_THROW(pdb::build(sampleHeader(), {{0, 0x1000000, "x"}}), std::invalid_argument);
    pdb::Header_t withInfo = sampleHeader();
    withInfo.appInfo = 96;
    EXPECT_THROW(pdb::build(withInfo, {}), std::invalid_argument);
    withInfo = sampleHeader();
    withInfo.sortInfo = 96;
    EXPECT_THROW(pdb::build(withInfo, {}), std::invalid_argument);
    // A record that would start past 4 GiB: refused before a byte is written.
    const std::string mebibyte(1 << 20, 'x');
    const std::vector<pdb::Record_t> beyond(4097, pdb::Record_t{0, 0, mebibyte});
    EXPECT_THROW(pdb::build(sampleHeader(), beyond), std::length_error);
}
