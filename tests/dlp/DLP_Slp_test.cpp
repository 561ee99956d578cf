// SLP frames as bytes, and finding them in what a line delivers: noise, broken frames and the
// handheld's loop-back frames skipped.
#include "MemoryStream.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Slp.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using dlp::fromHex;
using dlp::SlpScan_t;

// A real handheld's CMP wakeup as it came off the line.
const std::string kWakeUp = fromHex("beefed030302000effaf01c0000a0100010200000001c20086b1");

dlp::Deadline_t in(std::chrono::milliseconds span) {
    return std::chrono::steady_clock::now() + span;
}

TEST(DlpSlp, CrcIsXmodemCrc) {
    EXPECT_EQ(dlp::slpCrc("123456789"), 0x31C3);
    EXPECT_EQ(dlp::slpCrc(""), 0);
    EXPECT_EQ(dlp::slpCrc(kWakeUp.substr(0, 24)), 0x86B1);
}

TEST(DlpSlp, EncodesAFrameAsTheHandheldDoes) {
    dlp::SlpFrame_t frame;
    frame.transaction = 0xFF;
    frame.payload = fromHex("01c0000a0100010200000001c200");
    EXPECT_EQ(dlp::encodeSlp(frame), kWakeUp);
    dlp::SlpFrame_t loopBack;
    loopBack.type = dlp::kSlpTypeLoopBack;
    loopBack.transaction = 0x92;
    EXPECT_EQ(dlp::encodeSlp(loopBack), fromHex("beefed03030300009235690a"));
    frame.payload.assign(0x10000, 'x');
    EXPECT_THROW(dlp::encodeSlp(frame), std::length_error);
}

TEST(DlpSlp, ScanFindsAFrameAndTellsItsFields) {
    const SlpScan_t scan = dlp::scanSlp(kWakeUp + "more");
    ASSERT_EQ(scan.kind, SlpScan_t::Frame);
    EXPECT_EQ(scan.size, kWakeUp.size());
    EXPECT_EQ(scan.frame.destination, 3);
    EXPECT_EQ(scan.frame.source, 3);
    EXPECT_EQ(scan.frame.type, 2);
    EXPECT_EQ(scan.frame.transaction, 0xFF);
    EXPECT_EQ(scan.frame.payload, fromHex("01c0000a0100010200000001c200"));
}

TEST(DlpSlp, ScanSkipsNoiseButKeepsWhatMayBeginASignature) {
    SlpScan_t scan = dlp::scanSlp(fromHex("0808beef"));
    EXPECT_EQ(scan.kind, SlpScan_t::Garbage);
    EXPECT_EQ(scan.size, 2u);
    EXPECT_EQ(dlp::scanSlp(fromHex("beef")).kind, SlpScan_t::NeedMore);
    EXPECT_EQ(dlp::scanSlp(fromHex("be")).kind, SlpScan_t::NeedMore);
    scan = dlp::scanSlp(fromHex("0102be"));
    EXPECT_EQ(scan.kind, SlpScan_t::Garbage);
    EXPECT_EQ(scan.size, 2u);
    scan = dlp::scanSlp(fromHex("0808") + kWakeUp);
    EXPECT_EQ(scan.kind, SlpScan_t::Garbage);
    EXPECT_EQ(scan.size, 2u);
    EXPECT_EQ(dlp::scanSlp(kWakeUp.substr(0, 9)).kind, SlpScan_t::NeedMore);
    EXPECT_EQ(dlp::scanSlp(kWakeUp.substr(0, kWakeUp.size() - 1)).kind, SlpScan_t::NeedMore);
}

TEST(DlpSlp, ABadSumABadCrcOrAnOversizedLengthIsBroken) {
    std::string badSum = kWakeUp;
    badSum[9] = static_cast<char>(0xAE);
    SlpScan_t scan = dlp::scanSlp(badSum);
    EXPECT_EQ(scan.kind, SlpScan_t::Broken);
    EXPECT_EQ(scan.size, 1u);
    std::string badCrc = kWakeUp;
    badCrc.back() = static_cast<char>(0xB2);
    EXPECT_EQ(dlp::scanSlp(badCrc).kind, SlpScan_t::Broken);
    std::string badData = kWakeUp;
    badData[12] = 0x0B; // the PADP size, under the CRC
    EXPECT_EQ(dlp::scanSlp(badData).kind, SlpScan_t::Broken);
    // A header that adds up but claims more than any fragment: noise, not a 64 KB wait.
    dlp::SlpFrame_t huge;
    huge.payload.assign(dlp::kSlpMaxPayload + 1, 'x');
    EXPECT_EQ(dlp::scanSlp(dlp::encodeSlp(huge).substr(0, 10)).kind, SlpScan_t::Broken);
}

TEST(DlpSlp, TheReaderResynchronisesAfterNoiseAndBrokenFrames) {
    testing_link::MemoryStream line;
    std::string badCrc = kWakeUp;
    badCrc.back() = 0;
    const std::string all = fromHex("0808") + fromHex("beefed03030300009235690a") + badCrc +
                            fromHex("beefed0303020004ffa5") + kWakeUp;
    for (const char byte : all) // one byte per read, as a slow line gives them
        line.incoming.emplace_back(1, byte);
    dlp::SlpReader_t reader(line);
    const std::optional<dlp::SlpFrame_t> frame = reader.next(in(1s));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->payload, fromHex("01c0000a0100010200000001c200"));
    EXPECT_EQ(reader.loopBackFrames(), 1u);
    EXPECT_EQ(reader.brokenFrames(), 2u); // the bad CRC; the cut frame whose CRC is the wakeup's start
    EXPECT_TRUE(line.incoming.empty());
    EXPECT_FALSE(reader.next(in(30ms))); // silence until the deadline: nothing
}

TEST(DlpSlp, AFrameInsideABrokenOneIsStillFound) {
    testing_link::MemoryStream line;
    // A header that adds up and claims 4 bytes, cut short by the line: the frame after it is found.
    line.incoming.push_back(fromHex("beefed0303020004ffa502c0") + kWakeUp);
    dlp::SlpReader_t reader(line);
    const std::optional<dlp::SlpFrame_t> frame = reader.next(in(1s));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->transaction, 0xFF);
    EXPECT_EQ(frame->payload.size(), 14u);
}

TEST(DlpSlp, AHungUpLineIsALinkError) {
    testing_link::MemoryStream line;
    line.hungUp = true;
    dlp::SlpReader_t reader(line);
    EXPECT_THROW(reader.next(in(1s)), dlp::LinkError_t);
}

} // namespace
