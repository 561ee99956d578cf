// What a peer may make the desktop wait: an answer as a whole, and a whole session, however the
// peer spaces its bytes.
#include "dlp/DLP_BoundedStream.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Padp.h"
#include "dlp/DLP_Slp.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A peer that sends `bytes` one at a time, `gap` apart; silent after them, as long as it is asked
// to wait.
class Trickle : public dlp::ByteStream_t {
public:
    Trickle(std::string bytes, std::chrono::milliseconds gap) : m_bytes(std::move(bytes)), m_gap(gap) {}
    void write(std::string_view, dlp::Timeout_t) override {}
    std::size_t readSome(char* data, std::size_t, dlp::Timeout_t timeout) override {
        if (m_at == m_bytes.size() || m_gap > timeout) {
            std::this_thread::sleep_for(timeout);
            throw dlp::LinkError_t("the peer said nothing for " + dlp::secondsText(timeout));
        }
        std::this_thread::sleep_for(m_gap);
        data[0] = m_bytes[m_at++];
        return 1;
    }
    std::string describe() const override { return "a trickle"; }

private:
    std::string m_bytes;
    std::chrono::milliseconds m_gap;
    std::size_t m_at = 0;
};

std::string frameOf(std::size_t size) {
    return dlp::encodeFrame({7, std::string(size, 'x')});
}

std::string linkErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const dlp::LinkError_t& e) {
        return e.what();
    }
    return "no error";
}

TEST(Bounds, AnAnswerMayTakeTheTimeoutAndASecondFor512Bytes) {
    EXPECT_EQ(dlp::answerTime(30s, 0), 30s);
    EXPECT_EQ(dlp::answerTime(30s, 512), 31s);
    EXPECT_EQ(dlp::answerTime(1s, 0x10000 + 0x100 + 6), 129511ms);
    EXPECT_EQ(dlp::sessionBase(30s), 300s);
    EXPECT_EQ(dlp::sessionBase(500ms), 5s);
}

TEST(Bounds, AFrameWhoseBytesEachComeInTimeStillEndsAtItsDeadline) {
    // 46 bytes 20 ms apart: each within the 300 ms wait, the whole not within its 389 ms.
    dlp::NetSyncTransport_t transport(std::make_unique<Trickle>(frameOf(40), 20ms), 300ms);
    const auto start = Clock::now();
    const std::string error = linkErrorOf([&] { transport.receive(); });
    const auto took = Clock::now() - start;
    EXPECT_EQ(error.rfind("only ", 0), 0u) << error;
    EXPECT_NE(error.find(" bytes of a Net Sync frame of 40 bytes came within 0.4 s"), std::string::npos)
        << error;
    EXPECT_GE(took, 380ms);
    EXPECT_LT(took, 900ms);
}

TEST(Bounds, AFrameWithinItsTimeComesWhole) {
    dlp::NetSyncTransport_t transport(std::make_unique<Trickle>(frameOf(10), 5ms), 300ms);
    const dlp::Frame_t frame = transport.receive();
    EXPECT_EQ(frame.transaction, 7);
    EXPECT_EQ(frame.payload, std::string(10, 'x'));
}

TEST(Bounds, AFrameWhoseBodyComesTooLateIsCutInTheFramesWords) {
    // The header at once, the body's first byte after 200 ms: past the frame's 170 ms.
    std::string frame = frameOf(30);
    class Late : public Trickle {
    public:
        using Trickle::Trickle;
        std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) override {
            if (++m_reads == 7)
                std::this_thread::sleep_for(std::min<dlp::Timeout_t>(timeout, 200ms));
            if (m_reads >= 7 && timeout < 200ms)
                throw dlp::LinkError_t("the peer said nothing for " + dlp::secondsText(timeout));
            return Trickle::readSome(data, capacity, timeout);
        }

    private:
        int m_reads = 0;
    };
    dlp::NetSyncTransport_t transport(std::make_unique<Late>(frame, 0ms), 100ms);
    EXPECT_EQ(linkErrorOf([&] { transport.receive(); }),
              "only 0 bytes of a Net Sync frame of 30 bytes came within 0.2 s");
}

TEST(Bounds, APeerSilentFromTheStartIsSaidToBeSilent) {
    dlp::NetSyncTransport_t transport(std::make_unique<Trickle>("", 5ms), 100ms);
    EXPECT_EQ(linkErrorOf([&] { transport.receive(); }), "the peer said nothing for 0.1 s");
}

TEST(Bounds, ASessionThatTricklesRunsOutOfItsTime) {
    // 200 ms for the session, and 2 ms more for each byte: bytes 50 ms apart use it up by the
    // fifth.
    dlp::BoundedStream_t stream(std::make_unique<Trickle>(std::string(100, 'x'), 50ms), 200ms);
    const auto start = Clock::now();
    char byte = 0;
    std::size_t got = 0;
    const std::string error = linkErrorOf([&] {
        for (;;)
            got += stream.readSome(&byte, 1, 1s);
    });
    const auto took = Clock::now() - start;
    EXPECT_EQ(error.rfind("the handheld kept the desktop waiting 0.2 s in all", 0), 0u) << error;
    EXPECT_GE(got, 1u);
    EXPECT_LE(got, 5u);
    EXPECT_LT(took, 1000ms);
    EXPECT_EQ(stream.left(), 0ms);
    EXPECT_EQ(stream.received(), got);
}

TEST(Bounds, TheDesktopsOwnTimeBetweenReadsDoesNotCount) {
    dlp::BoundedStream_t stream(std::make_unique<Trickle>(std::string(4, 'x'), 2ms), 300ms);
    char byte = 0;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stream.readSome(&byte, 1, 1s), 1u);
        std::this_thread::sleep_for(150ms); // the desktop at work: twice the session's time in all
    }
    EXPECT_GT(stream.left(), 150ms);
}

TEST(Bounds, WhatASessionSendsBuysItTime) {
    dlp::BoundedStream_t stream(std::make_unique<Trickle>(std::string(2048, 'x'), 0ms), 100ms);
    std::string all(2048, '\0');
    dlp::readExactly(stream, all.data(), all.size(), 1s);
    EXPECT_GE(stream.left(), 4000ms);
    EXPECT_LE(stream.left(), 4100ms);
}

TEST(Bounds, BytesThatOnlyTheTransportCreditsBuyTheSessionTime) {
    dlp::BoundedStream_t stream(std::make_unique<Trickle>(std::string(2048, 'x'), 0ms), 100ms,
                                dlp::BoundedStream_t::Credit_t::Told);
    std::string all(2048, '\0');
    dlp::readExactly(stream, all.data(), all.size(), 1s);
    EXPECT_LE(stream.left(), 100ms);
    EXPECT_EQ(stream.received(), 0u);
    stream.credit(1024);
    EXPECT_GE(stream.left(), 2000ms);
    EXPECT_EQ(stream.received(), 1024u);
}

// A handheld on the serial stack that says it is busy (a PADP tickle) every 20 ms, and never
// answers.
class Tickler : public dlp::ByteStream_t {
public:
    void write(std::string_view, dlp::Timeout_t) override {}
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t) override {
        std::this_thread::sleep_for(20ms);
        dlp::PadpPacket_t tickle;
        tickle.transaction = 5;
        tickle.type = dlp::kPadpTickle;
        tickle.flags = dlp::kPadpFirst | dlp::kPadpLast;
        dlp::SlpFrame_t frame;
        frame.payload = dlp::encodePadp(tickle);
        const std::string bytes = dlp::encodeSlp(frame);
        EXPECT_GE(capacity, bytes.size());
        std::copy(bytes.begin(), bytes.end(), data);
        return bytes.size();
    }
    std::string describe() const override { return "a tickler"; }
};

TEST(Bounds, TicklesLengthenTheWaitForAnAnswerUpToTenTimesTheTimeout) {
    Tickler line;
    dlp::PadpOptions_t options;
    options.timeout = 50ms;
    dlp::PadpLink_t link(line, options);
    const auto start = Clock::now();
    const std::string error = linkErrorOf([&] { link.receive(); });
    const auto took = Clock::now() - start;
    EXPECT_EQ(error, "the handheld sent nothing but tickles for 0.5 s");
    EXPECT_GE(took, 480ms);
    EXPECT_LT(took, 1500ms);
}

} // namespace
