// CMP: the packets as bytes, the rate the desktop offers, and the desktop's side of the wakeup.
#include "MemoryStream.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Cmp.h"
#include "dlp/DLP_Tty.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using dlp::fromHex;
using testing_link::MemoryStream;

// A real handheld's wakeup (OS 3.5: CMP 1.2, up to 115200 baud, short PADP headers), and
// the desktop's answers to it as recorded.
const std::string kWakeUp = fromHex("beefed030302000effaf01c0000a0100010200000001c20086b1");
const std::string kWakeUpAck = fromHex("beefed0303020004ffa502c0000a1a85");
const std::string kInit = fromHex("beefed030302000effaf01c0000a0290010100000001c20003b0");
// An OS 4.1 wakeup: long headers offered.
const std::string kLongWakeUp = fromHex("beefed030302000effaf01c0000a0110010300000001c2006d2e");

dlp::PadpOptions_t quick() {
    dlp::PadpOptions_t options;
    options.ackTimeout = 100ms;
    options.tries = 3;
    options.timeout = 300ms;
    return options;
}

dlp::CmpOptions_t noPause() {
    dlp::CmpOptions_t options;
    options.switchPause = 0ms;
    return options;
}

// Acknowledges the desktop's INIT as the handheld does.
void acknowledgeInit(MemoryStream& peer, const std::string& written) {
    if (written.size() > 10 && static_cast<uint8_t>(written[10]) == dlp::kPadpData)
        peer.incoming.push_back(kWakeUpAck);
}

TEST(DlpCmp, PacketsAsBytes) {
    dlp::CmpPacket_t init;
    init.type = dlp::kCmpInit;
    init.flags = 0x90;
    init.rate = 115200;
    EXPECT_EQ(dlp::encodeCmp(init), fromHex("0290010100000001c200"));
    const dlp::CmpPacket_t wakeUp = dlp::decodeCmp(fromHex("0110010300000003840a"));
    EXPECT_EQ(wakeUp.type, dlp::kCmpWakeUp);
    EXPECT_EQ(wakeUp.flags, 0x10);
    EXPECT_EQ(wakeUp.major, 1);
    EXPECT_EQ(wakeUp.minor, 3);
    EXPECT_EQ(wakeUp.rate, 0x3840Au);
    EXPECT_THROW(dlp::decodeCmp(fromHex("011001030000000384")), dlp::ProtocolError_t);
    EXPECT_THROW(dlp::decodeCmp(fromHex("0110010300000003840a00")), dlp::ProtocolError_t);
}

TEST(DlpCmp, TheRateIsTheFastestBothCanTakeThatALineCanBeSetTo) {
    const std::vector<uint32_t>& rates = dlp::TtyStream_t::rates();
    EXPECT_EQ(dlp::chooseRate(115200, 115200, rates), 115200u);
    EXPECT_EQ(dlp::chooseRate(57600, 115200, rates), 57600u);
    EXPECT_EQ(dlp::chooseRate(230400, 115200, rates), 115200u);
    EXPECT_EQ(dlp::chooseRate(230400, 230400, rates), 230400u);
    EXPECT_EQ(dlp::chooseRate(28800, 115200, rates), 19200u); // no line takes 28800
    EXPECT_EQ(dlp::chooseRate(115200, 9600, rates), 9600u);
    EXPECT_EQ(dlp::chooseRate(0, 115200, rates), 9600u);
    EXPECT_EQ(dlp::chooseRate(2400, 115200, rates), 9600u); // CMP's own rate is the floor
}

TEST(DlpCmp, TheInitOffersTheRateLongHeadersAndVersionOneOne) {
    const dlp::CmpPacket_t wakeUp = dlp::decodeCmp(fromHex("0100010200000001c200"));
    EXPECT_EQ(dlp::encodeCmp(dlp::desktopInit(wakeUp, 115200)), fromHex("0290010100000001c200"));
    EXPECT_EQ(dlp::encodeCmp(dlp::desktopInit(wakeUp, 57600)), fromHex("0290010100000000e100"));
    // Staying at 9600: no rate change, and rate 0.
    EXPECT_EQ(dlp::encodeCmp(dlp::desktopInit(wakeUp, 9600)), fromHex("02100101000000000000"));
}

TEST(DlpCmp, TheDesktopAnswersTheWakeUpAndMovesOnlyAfterTheInitIsAcknowledged) {
    MemoryStream line;
    line.incoming.push_back(kWakeUp);
    line.onWrite = acknowledgeInit;
    dlp::PadpLink_t link(line, quick());
    std::vector<uint32_t> moves;
    std::size_t writtenWhenMoved = 0;
    bool ackReadWhenMoved = false;
    const dlp::CmpResult_t result = dlp::acceptWakeUp(link, noPause(), [&](uint32_t rate) {
        moves.push_back(rate);
        writtenWhenMoved = line.written.size();
        ackReadWhenMoved = line.incoming.empty();
    });
    EXPECT_EQ(line.written, (std::vector<std::string>{kWakeUpAck, kInit}));
    EXPECT_EQ(moves, std::vector<uint32_t>{115200});
    EXPECT_EQ(writtenWhenMoved, 2u);
    EXPECT_TRUE(ackReadWhenMoved);
    EXPECT_EQ(result.rate, 115200u);
    EXPECT_EQ(result.wakeUp.minor, 2);
    EXPECT_FALSE(result.longForm); // this handheld did not offer them
    EXPECT_FALSE(link.longForm());
}

TEST(DlpCmp, RepeatedWakeUpsAreAcknowledgedAndIgnored) {
    MemoryStream line;
    line.incoming.push_back(kLongWakeUp);
    int writes = 0;
    line.onWrite = [&](MemoryStream& peer, const std::string&) {
        if (++writes == 2) { // after the INIT: two more wakeups, then the acknowledgement
            peer.incoming.push_back(kLongWakeUp + kLongWakeUp);
            peer.incoming.push_back(kWakeUpAck);
        }
    };
    dlp::PadpLink_t link(line, quick());
    int moves = 0;
    const dlp::CmpResult_t result = dlp::acceptWakeUp(link, noPause(), [&](uint32_t) { ++moves; });
    EXPECT_EQ(line.written, (std::vector<std::string>{kWakeUpAck, kInit, kWakeUpAck, kWakeUpAck}));
    EXPECT_EQ(moves, 1);
    EXPECT_TRUE(result.longForm);
    EXPECT_TRUE(link.longForm());
}

TEST(DlpCmp, AtNineThousandSixHundredTheLineStays) {
    MemoryStream line;
    line.incoming.push_back(kWakeUp);
    line.onWrite = acknowledgeInit;
    dlp::PadpLink_t link(line, quick());
    dlp::CmpOptions_t options = noPause();
    options.maxRate = 9600;
    int moves = 0;
    const dlp::CmpResult_t result = dlp::acceptWakeUp(link, options, [&](uint32_t) { ++moves; });
    EXPECT_EQ(line.written.at(1), fromHex("beefed030302000effaf01c0000a02100101000000000000fb04"));
    EXPECT_EQ(moves, 0);
    EXPECT_EQ(result.rate, 9600u);
}

TEST(DlpCmp, AnotherMajorVersionIsAbortedAndRefused) {
    MemoryStream line;
    line.incoming.push_back(fromHex("beefed030302000effaf01c0000a0100020000000001c2002e27")); // CMP 2.0
    dlp::PadpLink_t link(line, quick());
    try {
        dlp::acceptWakeUp(link, noPause(), {});
        FAIL();
    } catch (const dlp::ProtocolError_t& e) {
        EXPECT_STREQ(e.what(), "the handheld speaks CMP 2.0; this desktop knows version 1 only");
    }
    EXPECT_EQ(line.written,
              (std::vector<std::string>{kWakeUpAck,
                                        fromHex("beefed030302000effaf01c0000a03800101000000000000780d")}));
}

TEST(DlpCmp, AnythingButAWakeUpFirstIsRefused) {
    MemoryStream line;
    line.incoming.push_back(fromHex("beefed030302000c01af01c0000812012004000100041d8b")); // a DLP request
    dlp::PadpLink_t link(line, quick());
    EXPECT_THROW(dlp::acceptWakeUp(link, noPause(), {}), dlp::ProtocolError_t);
    MemoryStream init;
    init.incoming.push_back(kInit);
    dlp::PadpLink_t other(init, quick());
    EXPECT_THROW(dlp::acceptWakeUp(other, noPause(), {}), dlp::ProtocolError_t);
}

} // namespace
