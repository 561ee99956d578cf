#include "win/WIN_Exception.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {
win::FaultInfo_t at(uint64_t address, uint64_t kind = 0, uint64_t data = 0) {
    win::FaultInfo_t info;
    info.faultAddress = address;
    info.parameters[0] = kind;
    info.parameters[1] = data;
    return info;
}
} // namespace

TEST(WinFault, AccessViolationsNameTheDataAddress) {
    EXPECT_EQ(win::faultMessage(0xC0000005, at(0x40102A, 0, 0x1C)),
              "Read access violation at data address 0x1c,\nprogram address 0x0040102A.");
    EXPECT_EQ(win::faultMessage(0xC0000005, at(0x40102A, 1, 0xABCDEF)),
              "Write access violation at data address 0xabcdef,\nprogram address 0x0040102A.");
}

TEST(WinFault, KnownAndUnknownCodes) {
    EXPECT_EQ(win::faultMessage(0xC0000094, at(0x401000)),
              "Integer divide by zero at program address 0x00401000.");
    EXPECT_EQ(win::faultMessage(0xC00000FD, at(0x401000)), "Stack overflow at program address 0x00401000.");
    EXPECT_EQ(win::faultMessage(0xC0000017, at(0x401000)),
              "Exception: 0xC0000017 at program address 0x00401000.");
}

TEST(WinFault, IsNotAModuleFailure) {
    try {
        try {
            throw win::StructuredException_t(0xC0000094, nullptr, at(1));
        } catch (const glo::Exception_t&) {
            FAIL() << "caught as a module failure";
        }
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Integer divide by zero at program address 0x00000001.");
    }
}

TEST(WinError, TextStartsWithTheCodeAndALineBreak) {
    const win::Error_t error("WIN_FileVerInfo.cpp", 29, 5);
    const std::string text = error.what();
    EXPECT_EQ(text.rfind("Windows Error Code: 5\n", 0), 0u);
    EXPECT_GT(text.size(), std::string("Windows Error Code: 5\n").size());
    EXPECT_EQ(error.code(), 5u);
}
