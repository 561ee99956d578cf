// Telling the serial stack from Net Sync framing on a line that may carry either, and opening the
// link the handheld asked for, without losing the bytes read to decide.
#include "MemoryStream.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_PrefixStream.h"
#include "dlp/DLP_SerialAccept.h"
#include "dlp/DLP_StackDetection.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using dlp::Detection_t;
using dlp::fromHex;
using testing_link::MemoryStream;

const std::string kWakeUp = fromHex("beefed030302000effaf01c0000a0100010200000001c20086b1");
const std::string kLoopBack = fromHex("beefed03030300009235690a");
// The handheld's first Net Sync frame, and its body alone.
const std::string kHelloBody = fromHex("90010000000000000020000000080200000000000000");
const std::string kHello = fromHex("01ff00000016") + kHelloBody;

Detection_t detect(const std::string& bytes) {
    return dlp::detectStack(bytes);
}

TEST(DlpStackDetection, TheFirstBytesTellTheStack) {
    EXPECT_EQ(detect(kWakeUp).kind, Detection_t::SerialStack);
    EXPECT_EQ(detect(kWakeUp.substr(0, 10)).kind, Detection_t::SerialStack);
    EXPECT_EQ(detect(kHello).kind, Detection_t::NetSync);
    EXPECT_EQ(detect(kHello.substr(0, 7)).kind, Detection_t::NetSync);
    EXPECT_EQ(detect(kHelloBody).kind, Detection_t::NetSyncHeaderless);
    for (std::size_t size = 0; size < 10; ++size) {
        EXPECT_EQ(detect(kWakeUp.substr(0, size)).kind, Detection_t::NeedMore) << size;
        EXPECT_EQ(detect(kHelloBody.substr(0, size)).kind, Detection_t::NeedMore) << size;
    }
    EXPECT_EQ(detect(kHello.substr(0, 6)).kind, Detection_t::NeedMore);
}

TEST(DlpStackDetection, NoiseIsSkipped) {
    const Detection_t noise = detect(fromHex("0808"));
    EXPECT_EQ(noise.kind, Detection_t::Skip);
    EXPECT_EQ(noise.size, 1u);
    std::string badSum = kWakeUp;
    badSum[9] = 0;
    EXPECT_EQ(detect(badSum).kind, Detection_t::Skip);
    EXPECT_EQ(detect(badSum).size, 3u);
    // A good SLP header that is no wakeup (the handheld's loop-back frames come first).
    EXPECT_EQ(detect(kLoopBack).kind, Detection_t::Skip);
    EXPECT_EQ(detect(kLoopBack).size, 10u);
    EXPECT_EQ(detect(fromHex("0103010000")).kind, Detection_t::Skip);     // byte 2 is not 00
    EXPECT_EQ(detect(fromHex("01ff00000000")).kind, Detection_t::Skip);   // an empty frame
    EXPECT_EQ(detect(fromHex("01ff0000001692")).kind, Detection_t::Skip); // not the first frame
    EXPECT_EQ(detect(fromHex("9001000000000000001f")).kind, Detection_t::Skip);
}

TEST(DlpStackDetection, APrefixStreamGivesItsBytesFirst) {
    MemoryStream line;
    line.incoming.push_back("world");
    dlp::PrefixStream_t stream(line, "hello ");
    char bytes[16];
    std::string read;
    read.append(bytes, stream.readSome(bytes, 4, 1s));
    read.append(bytes, stream.readSome(bytes, sizeof bytes, 1s));
    read.append(bytes, stream.readSome(bytes, sizeof bytes, 1s));
    EXPECT_EQ(read, "hello world");
    stream.write("out", 1s);
    EXPECT_EQ(line.written, std::vector<std::string>{"out"});
    EXPECT_EQ(stream.describe(), "memory");
}

dlp::SerialOptions_t quick() {
    dlp::SerialOptions_t options;
    options.ackTimeout = 100ms;
    options.tries = 3;
    options.timeout = 500ms;
    options.tickleEvery = 0ms;
    options.switchPause = 0ms;
    options.poll = 20ms;
    options.nudgeAfter = 0ms;
    return options;
}

TEST(DlpStackDetection, TheSerialStackIsOpenedWithCmp) {
    MemoryStream line;
    std::string start = fromHex("0808");
    for (int i = 0; i < 10; ++i)
        start += kLoopBack;
    start += kWakeUp;
    for (std::size_t at = 0; at < start.size(); at += 7) // cut anywhere, as a line delivers
        line.incoming.push_back(start.substr(at, 7));
    line.onWrite = [](MemoryStream& peer, const std::string& written) {
        if (written.size() > 10 && static_cast<uint8_t>(written[10]) == dlp::kPadpData)
            peer.incoming.push_back(fromHex("beefed0303020004ffa502c0000a1a85"));
    };
    std::vector<uint32_t> moves;
    const dlp::AcceptedLink_t link =
        dlp::acceptOnStream(line, quick(), {}, [&](uint32_t rate) { moves.push_back(rate); });
    ASSERT_TRUE(link.transport);
    EXPECT_EQ(link.kind, dlp::LinkKind_t::SerialStack);
    EXPECT_EQ(link.baud, 115200u);
    EXPECT_EQ(moves, std::vector<uint32_t>{115200});
    ASSERT_EQ(line.written.size(), 2u);
    EXPECT_EQ(line.written[0], fromHex("beefed0303020004ffa502c0000a1a85"));
    EXPECT_EQ(dlp::linkKindName(link.kind), "the serial stack (SLP, PADP, CMP)");
}

TEST(DlpStackDetection, AWakeUpThatComesAfterCmpIsNoAnswer) {
    MemoryStream line;
    line.incoming.push_back(kWakeUp);
    int writes = 0;
    line.onWrite = [&writes](MemoryStream& peer, const std::string&) {
        if (++writes == 2) // the INIT acknowledged
            peer.incoming.push_back(fromHex("beefed0303020004ffa502c0000a1a85"));
        if (writes == 3) { // the request: acknowledged, a late wakeup, then the answer
            peer.incoming.push_back(fromHex("beefed030302000401a702c00002ce11"));
            peer.incoming.push_back(fromHex("beefed030302000effaf01c0000a0110010300000001c2006d2e"));
            peer.incoming.push_back(fromHex("beefed030302000801ab01c0000490000000e01b"));
        }
    };
    dlp::AcceptedLink_t link = dlp::acceptOnStream(line, quick(), {});
    ASSERT_TRUE(link.transport);
    link.transport->send({1, fromHex("1000")});
    const dlp::Frame_t answer = link.transport->receive();
    EXPECT_EQ(answer.transaction, 1);
    EXPECT_EQ(answer.payload, fromHex("90000000"));
}

TEST(DlpStackDetection, NetSyncFramingIsHandedOnWhole) {
    MemoryStream line;
    line.incoming.push_back(fromHex("0000") + kHello.substr(0, 3));
    line.incoming.push_back(kHello.substr(3));
    dlp::AcceptedLink_t link = dlp::acceptOnStream(line, quick(), {});
    ASSERT_TRUE(link.transport);
    EXPECT_EQ(link.kind, dlp::LinkKind_t::NetSync);
    const dlp::Frame_t first = link.transport->receive();
    EXPECT_EQ(first.transaction, 0xFF);
    EXPECT_EQ(first.payload, kHelloBody);
    EXPECT_TRUE(line.written.empty());
}

TEST(DlpStackDetection, AFirstFrameThatLostItsHeaderGetsItBack) {
    MemoryStream line;
    line.incoming.push_back(kHelloBody);
    dlp::AcceptedLink_t link = dlp::acceptOnStream(line, quick(), {});
    ASSERT_TRUE(link.transport);
    EXPECT_EQ(link.kind, dlp::LinkKind_t::NetSync);
    const dlp::Frame_t first = link.transport->receive();
    EXPECT_EQ(first.transaction, 0xFF);
    EXPECT_EQ(first.payload, kHelloBody);
}

TEST(DlpStackDetection, WaitingEndsWhenAskedAndASilentLineIsNudgedOnce) {
    MemoryStream line;
    int asked = 0;
    dlp::SerialOptions_t options = quick();
    options.nudgeAfter = 50ms;
    const dlp::AcceptedLink_t link = dlp::acceptOnStream(line, options, [&asked] { return ++asked > 10; });
    EXPECT_FALSE(link.transport);
    EXPECT_EQ(asked, 11);
    EXPECT_EQ(line.written, std::vector<std::string>{fromHex("010000000000")});

    MemoryStream gone;
    gone.hungUp = true;
    EXPECT_THROW(dlp::acceptOnStream(gone, quick(), {}), dlp::LinkError_t);
}

} // namespace
