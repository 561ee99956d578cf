#include "synth/SYN_PdbFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using testsupport::Bytes;
using testsupport::bytesOf;
using testsupport::concat;

TEST(GeneratedPdb, AFixedHeaderAndDirtyRecordsNumberedFromOne) {
    const Bytes expected = concat({bytesOf("TrackDB"),
                                   Bytes(25, 0),
                                   {0x00, 0x08, 0x00, 0x01},                         // backup, version 1
                                   {0xC0, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00}, // created, modified
                                   Bytes(16, 0), // backed up ... sort info
                                   bytesOf("TrckVTRK"),
                                   Bytes(8, 0),
                                   {0x00, 0x03},
                                   {0, 0, 0, 0x68, 0x40, 0, 0, 1},
                                   {0, 0, 0, 0x6A, 0x40, 0, 0, 2},
                                   {0, 0, 0, 0x6A, 0x40, 0, 0, 3},
                                   {0, 0},
                                   bytesOf("abc")});
    EXPECT_EQ(bytesOf(synth::buildPdb("TrackDB", "Trck", "VTRK", {"ab", "", "c"})), expected);
}

TEST(GeneratedPdb, MoreRecordsThanAListHoldsAreRefused) {
    EXPECT_THROW(synth::buildPdb("TrackDB", "Trck", "VTRK", std::vector<std::string>(0x10000)),
                 std::length_error);
}
