// PADP: fragments and their acknowledgements as bytes, retries, duplicates, lost acknowledgements,
// tickles, and messages that do not add up.
#include "MemoryStream.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Padp.h"
#include "dlp/DLP_Socket.h"
#include "dlp/DLP_SocketStream.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using dlp::fromHex;
using dlp::PadpPacket_t;
using testing_link::MemoryStream;

std::string frameOf(const PadpPacket_t& packet) {
    dlp::SlpFrame_t frame;
    frame.transaction = packet.transaction;
    frame.payload = dlp::encodePadp(packet);
    return dlp::encodeSlp(frame);
}

PadpPacket_t packetOf(const std::string& wire) {
    const dlp::SlpScan_t scan = dlp::scanSlp(wire);
    EXPECT_EQ(scan.kind, dlp::SlpScan_t::Frame);
    EXPECT_EQ(scan.size, wire.size()) << "one frame per write";
    return dlp::decodePadp(scan.frame.transaction, scan.frame.payload);
}

PadpPacket_t data(uint8_t transaction, uint8_t flags, uint32_t size, std::string bytes) {
    return {transaction, dlp::kPadpData, flags, size, std::move(bytes)};
}

PadpPacket_t ack(uint8_t transaction, uint8_t flags, uint32_t size) {
    return {transaction, dlp::kPadpAck, flags, size, {}};
}

dlp::PadpOptions_t quick(dlp::PadpRole_t role = dlp::PadpRole_t::Desktop) {
    dlp::PadpOptions_t options;
    options.role = role;
    options.ackTimeout = 100ms;
    options.tries = 3;
    options.timeout = 300ms;
    options.fragmentSize = role == dlp::PadpRole_t::Desktop ? 512 : 1024;
    return options;
}

// A peer that acknowledges every data fragment as handhelds do, copying its flags.
void acknowledgeData(MemoryStream& line, const std::string& written) {
    const PadpPacket_t packet = packetOf(written);
    if (packet.type == dlp::kPadpData)
        line.incoming.push_back(frameOf(ack(packet.transaction, packet.flags, packet.size)));
}

TEST(DlpPadp, BothHeaderFormsAsBytes) {
    EXPECT_EQ(dlp::encodePadp(data(1, 0xC0, 8, fromHex("1201200400010004"))),
              fromHex("01c000081201200400010004"));
    EXPECT_EQ(dlp::encodePadp(data(1, 0xD0, 0x22, "")), fromHex("01d000000022"));
    EXPECT_EQ(dlp::encodePadp(ack(1, 0x90, 0x45E)), fromHex("02900000045e"));
    EXPECT_EQ(dlp::encodePadp(ack(1, 0x80, 0x45E)), fromHex("0280045e"));
    EXPECT_THROW(dlp::encodePadp(data(1, 0xC0, 0x10000, "")), std::length_error);
    // An acknowledgement with bytes after it (one handheld sends two): they are kept apart.
    const PadpPacket_t tail = dlp::decodePadp(0xFF, fromHex("02c0000ab260"));
    EXPECT_EQ(tail.type, dlp::kPadpAck);
    EXPECT_EQ(tail.flags, 0xC0);
    EXPECT_EQ(tail.size, 10u);
    EXPECT_EQ(tail.data, fromHex("b260"));
    const PadpPacket_t longForm = dlp::decodePadp(3, fromHex("015000000400abcd"));
    EXPECT_EQ(longForm.size, 0x400u);
    EXPECT_EQ(longForm.data, fromHex("abcd"));
    EXPECT_THROW(dlp::decodePadp(3, fromHex("01d00000")), dlp::ProtocolError_t);
    EXPECT_THROW(dlp::decodePadp(3, fromHex("02")), dlp::ProtocolError_t);
}

TEST(DlpPadp, TheDesktopSendsHalfKilobyteFragmentsEachAcknowledged) {
    MemoryStream line;
    line.onWrite = acknowledgeData;
    dlp::PadpLink_t link(line, quick());
    link.send(7, std::string(1300, 'a'));
    ASSERT_EQ(line.written.size(), 3u);
    EXPECT_EQ(line.written[0],
              fromHex("beefed030302020407af01800514") + std::string(512, 'a') + fromHex("797e"));
    EXPECT_EQ(line.written[1],
              fromHex("beefed030302020407af01000200") + std::string(512, 'a') + fromHex("df24"));
    EXPECT_EQ(line.written[2],
              fromHex("beefed030302011807c201400400") + std::string(276, 'a') + fromHex("e037"));
    EXPECT_EQ(link.resent(), 0u);
}

TEST(DlpPadp, AHandheldSendsKilobyteFragmentsInTheLongFormOnceAgreed) {
    MemoryStream line;
    line.onWrite = acknowledgeData;
    dlp::PadpLink_t link(line, quick(dlp::PadpRole_t::Handheld));
    link.send(3, "hello");
    EXPECT_EQ(packetOf(line.written.at(0)).flags, 0xC0);
    link.setLongForm(true);
    link.send(7, "hello");
    EXPECT_EQ(line.written.at(1), fromHex("beefed030302000b07b401d00000000568656c6c6fded9"));
    link.send(3, std::string(1118, 'm'));
    ASSERT_EQ(line.written.size(), 4u);
    const PadpPacket_t first = packetOf(line.written[2]), last = packetOf(line.written[3]);
    EXPECT_EQ(first.flags, 0x90);
    EXPECT_EQ(first.size, 1118u);
    EXPECT_EQ(first.data.size(), 1024u);
    EXPECT_EQ(last.flags, 0x50);
    EXPECT_EQ(last.size, 1024u);
    EXPECT_EQ(last.data.size(), 94u);
}

TEST(DlpPadp, TheDesktopAcknowledgesEachFragmentAsDesktopsDo) {
    MemoryStream line;
    line.incoming.push_back(frameOf(data(3, 0x90, 0x45E, std::string(1024, 'x'))));
    line.incoming.push_back(frameOf(data(3, 0x50, 0x400, std::string(94, 'y'))));
    dlp::PadpLink_t link(line, quick());
    const dlp::Frame_t message = link.receive();
    EXPECT_EQ(message.transaction, 3);
    EXPECT_EQ(message.payload, std::string(1024, 'x') + std::string(94, 'y'));
    // Flags C0 and the short form, whatever the fragment had.
    ASSERT_EQ(line.written.size(), 2u);
    EXPECT_EQ(line.written[0], fromHex("beefed030302000403a902c0045edd44"));
    EXPECT_EQ(line.written[1], fromHex("beefed030302000403a902c00400667f"));
}

TEST(DlpPadp, AHandheldCopiesTheFragmentFlagsIntoItsAcknowledgement) {
    MemoryStream line;
    line.incoming.push_back(frameOf(data(7, 0xC0, 5, "hello")));
    dlp::PadpLink_t link(line, quick(dlp::PadpRole_t::Handheld));
    link.setLongForm(true);
    EXPECT_EQ(link.receive().payload, "hello");
    EXPECT_EQ(line.written.at(0), fromHex("beefed030302000607af02d000000005d8d5"));
}

TEST(DlpPadp, DuplicatesAreAcknowledgedAgainAndDropped) {
    MemoryStream line;
    const std::string first = frameOf(data(3, 0xC0, 4, "abcd"));
    line.incoming = {first, first, first, frameOf(data(4, 0xC0, 2, "ef"))};
    dlp::PadpLink_t link(line, quick());
    EXPECT_EQ(link.receive().payload, "abcd");
    const dlp::Frame_t second = link.receive();
    EXPECT_EQ(second.transaction, 4);
    EXPECT_EQ(second.payload, "ef");
    EXPECT_EQ(link.duplicates(), 2u);
    ASSERT_EQ(line.written.size(), 4u);
    EXPECT_EQ(line.written[0], line.written[1]);
    EXPECT_EQ(line.written[0], line.written[2]);
    EXPECT_EQ(packetOf(line.written[3]).transaction, 4);
}

TEST(DlpPadp, AnAnswerInPlaceOfTheAcknowledgementCountsAsIt) {
    MemoryStream line;
    line.onWrite = [](MemoryStream& peer, const std::string& written) {
        const PadpPacket_t packet = packetOf(written);
        if (packet.type == dlp::kPadpData) // the acknowledgement is lost; the answer comes
            peer.incoming.push_back(frameOf(data(packet.transaction, 0xC0, 4, "ansr")));
    };
    dlp::PadpLink_t link(line, quick());
    link.send(5, "request");
    const dlp::Frame_t answer = link.receive();
    EXPECT_EQ(answer.transaction, 5);
    EXPECT_EQ(answer.payload, "ansr");
    ASSERT_EQ(line.written.size(), 2u); // the request once, the answer's acknowledgement
    EXPECT_EQ(packetOf(line.written[1]).type, dlp::kPadpAck);
    EXPECT_EQ(link.resent(), 0u);
}

TEST(DlpPadp, AFragmentIsSentAgainUntilAcknowledgedThenTheLinkFails) {
    MemoryStream line;
    int writes = 0;
    line.onWrite = [&writes](MemoryStream& peer, const std::string& written) {
        if (++writes == 2)
            acknowledgeData(peer, written);
    };
    dlp::PadpLink_t link(line, quick());
    link.send(5, "again");
    EXPECT_EQ(line.written.size(), 2u);
    EXPECT_EQ(line.written[0], line.written[1]);
    EXPECT_EQ(link.resent(), 1u);

    MemoryStream silent;
    dlp::PadpLink_t deaf(silent, quick());
    try {
        deaf.send(6, "nobody");
        FAIL();
    } catch (const dlp::LinkError_t& e) {
        EXPECT_STREQ(e.what(), "the handheld did not acknowledge transaction 6 after 3 tries of 0.1 s");
    }
    EXPECT_EQ(silent.written.size(), 3u);
}

TEST(DlpPadp, ALateAcknowledgementOfAnEarlierFragmentIsNotThisOnes) {
    MemoryStream line;
    int fragments = 0;
    line.onWrite = [&fragments](MemoryStream& peer, const std::string& written) {
        const PadpPacket_t packet = packetOf(written);
        ++fragments;
        if (fragments == 2) // the first fragment's acknowledgement again, not the second's
            peer.incoming.push_back(frameOf(ack(packet.transaction, 0x80, 600)));
        else
            acknowledgeData(peer, written);
    };
    dlp::PadpLink_t link(line, quick());
    link.send(8, std::string(600, 'q'));
    ASSERT_EQ(line.written.size(), 3u);
    EXPECT_EQ(line.written[1], line.written[2]);
}

TEST(DlpPadp, ARepeatedWakeUpIsNoAcknowledgementOfTheInit) {
    MemoryStream line;
    const std::string wakeUp = fromHex("beefed030302000effaf01c0000a0100010200000001c20086b1");
    line.incoming.push_back(wakeUp);
    int writes = 0;
    line.onWrite = [&](MemoryStream& peer, const std::string& written) {
        if (++writes == 2) { // the INIT: two more wakeups, then its acknowledgement
            peer.incoming.push_back(wakeUp + wakeUp);
            acknowledgeData(peer, written);
        }
    };
    dlp::PadpLink_t link(line, quick());
    EXPECT_EQ(link.receive().transaction, 0xFF);
    link.send(0xFF, fromHex("0290010100000001c200"));
    const std::string wakeUpAck = fromHex("beefed0303020004ffa502c0000a1a85");
    ASSERT_EQ(line.written.size(), 4u);
    EXPECT_EQ(line.written[0], wakeUpAck);
    EXPECT_EQ(line.written[1], fromHex("beefed030302000effaf01c0000a0290010100000001c20003b0"));
    EXPECT_EQ(line.written[2], wakeUpAck);
    EXPECT_EQ(line.written[3], wakeUpAck);
    EXPECT_EQ(link.duplicates(), 2u);
}

// Each of these is refused before anything of it is acknowledged.
void expectRefused(std::vector<PadpPacket_t> packets, const char* words) {
    MemoryStream line;
    for (const PadpPacket_t& packet : packets)
        line.incoming.push_back(frameOf(packet));
    dlp::PadpLink_t link(line, quick());
    try {
        link.receive();
        ADD_FAILURE() << "taken: " << words;
    } catch (const dlp::ProtocolError_t& e) {
        EXPECT_STREQ(e.what(), words);
    }
    EXPECT_EQ(line.written.size(), packets.size() - 1);
}

TEST(DlpPadp, MessagesThatDoNotAddUpAreRefused) {
    expectRefused({data(3, 0xD0, 0x10101, "x")},
                  "the handheld announced a message of 65793 bytes, more than the 65792 any message needs");
    expectRefused({data(3, 0x40, 0x400, "x")},
                  "the handheld sent a fragment at offset 1024 of a message that never began");
    expectRefused({data(3, 0x80, 2000, std::string(1024, 'a')), data(3, 0x00, 1000, "b")},
                  "the handheld sent a fragment at offset 1000 where 1024 bytes had come");
    expectRefused({data(3, 0xC0, 10, std::string(20, 'a'))},
                  "the handheld sent fragments of more than the 10 bytes it announced");
    expectRefused({data(3, 0xC0, 10, std::string(5, 'a'))},
                  "the handheld ended a message after 5 of the 10 bytes it announced");
    expectRefused({data(3, 0x80, 2000, std::string(1030, 'a'))},
                  "the handheld sent a fragment of 1030 bytes, more than 1024");
    expectRefused({data(3, 0x80, 2000, std::string(1024, 'a')), data(3, 0xC0, 4, "abcd")},
                  "the handheld began a new message after 1024 of the 2000 bytes of the last one");
    expectRefused({data(3, 0x80, 2000, std::string(1024, 'a')), data(4, 0x40, 1024, "b")},
                  "the handheld sent a fragment of transaction 4 within transaction 3");
    expectRefused({{3, 0x10, 0xC0, 0, ""}}, "a PADP packet of unknown type 16");
}

TEST(DlpPadp, AnAbortEndsTheLinkAndAMemoryErrorTheMessage) {
    MemoryStream aborted;
    aborted.incoming.push_back(frameOf({3, dlp::kPadpAbort, 0xC0, 0, ""}));
    dlp::PadpLink_t link(aborted, quick());
    EXPECT_THROW(link.receive(), dlp::LinkError_t);

    MemoryStream full;
    full.onWrite = [](MemoryStream& peer, const std::string& written) {
        const PadpPacket_t packet = packetOf(written);
        peer.incoming.push_back(frameOf(ack(packet.transaction, 0xC0 | dlp::kPadpMemoryError, packet.size)));
    };
    dlp::PadpLink_t noRoom(full, quick());
    try {
        noRoom.send(4, "big");
        FAIL();
    } catch (const dlp::ProtocolError_t& e) {
        EXPECT_STREQ(e.what(), "the handheld had no memory for the message of transaction 4");
    }
}

TEST(DlpPadp, TheLongFormIsUsedOnlyWhenAgreed) {
    MemoryStream line;
    line.onWrite = acknowledgeData;
    dlp::PadpLink_t link(line, quick());
    EXPECT_THROW(link.send(4, std::string(0x10000, 'x')), dlp::LinkError_t);
    EXPECT_TRUE(line.written.empty());
    link.setLongForm(true);
    link.send(4, std::string(0x10000, 'x'));
    EXPECT_EQ(packetOf(line.written.front()).flags, 0x80 | dlp::kPadpLongForm);
    EXPECT_EQ(packetOf(line.written.front()).size, 0x10000u);
}

TEST(DlpPadp, TicklesKeepAWaitingReceiverWaiting) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    dlp::SocketStream_t desktop{dlp::Socket_t(fds[0])};
    dlp::SocketStream_t handheld{dlp::Socket_t(fds[1])};
    dlp::PadpOptions_t options = quick();
    options.timeout = 250ms;
    dlp::PadpLink_t link(desktop, options);
    std::thread peer([&] {
        for (int i = 0; i < 4; ++i) { // busy for 0.6 s, longer than the desktop waits
            std::this_thread::sleep_for(150ms);
            handheld.write(frameOf({3, dlp::kPadpTickle, 0xC0, 0, ""}), 1s);
        }
        handheld.write(frameOf(data(3, 0xC0, 4, "done")), 1s);
    });
    const dlp::Frame_t message = link.receive();
    peer.join();
    EXPECT_EQ(message.payload, "done");
    // The desktop's own tickle: never acknowledged, with the last transaction id.
    MemoryStream line;
    dlp::PadpLink_t busy(line, quick());
    line.onWrite = acknowledgeData;
    busy.send(7, "x");
    line.onWrite = nullptr;
    busy.tickle();
    EXPECT_EQ(line.written.back(), fromHex("beefed030302000407ad04c000000285"));
}

TEST(DlpPadp, WhileTheLineSettlesTriesComeQuicklyAndDoNotCount) {
    MemoryStream line;
    int writes = 0;
    line.onWrite = [&writes](MemoryStream& peer, const std::string& written) {
        if (++writes == 3) // the handheld hears the third
            acknowledgeData(peer, written);
    };
    dlp::PadpOptions_t options = quick();
    options.tries = 1;
    options.ackTimeout = 2s;
    dlp::PadpLink_t link(line, options);
    link.settle(1s);
    const auto start = std::chrono::steady_clock::now();
    link.send(1, "first");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    EXPECT_EQ(line.written.size(), 3u);
}

} // namespace
