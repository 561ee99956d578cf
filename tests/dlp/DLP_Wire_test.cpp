// Frames, arguments and answers as bytes, and what the desktop does with a peer that breaks them.
#include "HandheldSimulator.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Desktop.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Packet.h"
#include "plm/desktop/PLM_PdbFile.h"

#include <gtest/gtest.h>

#include <array>

#include <memory>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

TEST(DlpPacket, ArgumentsTakeTheSmallestFormThatFits) {
    dlp::Response_t response{
        0x20,
        0,
        {{0x20, std::string(3, 'a')}, {0x21, std::string(256, 'b')}, {0x22, std::string(65536, 'c')}}};
    const std::string wire = dlp::encodeResponse(response);
    EXPECT_EQ(wire.substr(0, 4), bytes({0xA0, 3, 0, 0}));
    EXPECT_EQ(wire.substr(4, 2), bytes({0x20, 3}));                    // tiny
    EXPECT_EQ(wire.substr(9, 4), bytes({0xA1, 0, 0x01, 0x00}));        // small
    EXPECT_EQ(wire.substr(13 + 256, 6), bytes({0x62, 0, 0, 1, 0, 0})); // long
    const dlp::Response_t back = dlp::decodeResponse(wire);
    ASSERT_EQ(back.arguments.size(), 3u);
    EXPECT_EQ(back.arguments[2].id, 0x22);
    EXPECT_EQ(back.arguments[2].data.size(), 65536u);
    // An error answer carries no arguments.
    EXPECT_EQ(dlp::encodeResponse({0x17, 5, {{0x20, "x"}}}), bytes({0x97, 0, 0, 5}));
}

TEST(DlpPacket, BytesThatLieAboutTheirSizeAreRefused) {
    EXPECT_THROW(dlp::decodeResponse(bytes({0x90, 1, 0, 0, 0x20, 10, 1, 2})),
                 dlp::ProtocolError_t);                                                       // runs past
    EXPECT_THROW(dlp::decodeResponse(bytes({0x90, 2, 0, 0, 0x20, 0})), dlp::ProtocolError_t); // one missing
    EXPECT_THROW(dlp::decodeResponse(bytes({0x90, 1, 0, 0, 0x20, 0, 9})),
                 dlp::ProtocolError_t);                                                       // one too many
    EXPECT_THROW(dlp::decodeResponse(bytes({0x10, 0, 0, 0})), dlp::ProtocolError_t);          // not an answer
    EXPECT_THROW(dlp::decodeResponse(bytes({0x90, 1, 0, 0, 0x05, 0})), dlp::ProtocolError_t); // id below 0x20
    EXPECT_THROW(dlp::decodeResponse(bytes({0x90, 1, 0, 0, 0x60, 0, 0xFF, 0xFF, 0xFF, 0xFF})),
                 dlp::ProtocolError_t);
    EXPECT_THROW(dlp::decodeUserInfo(std::string(29, '\0')), dlp::ProtocolError_t);
    EXPECT_THROW(dlp::decodeDbList(bytes({0, 0, 0, 1, 10})), dlp::ProtocolError_t); // a 10-byte info
}

TEST(DlpPacket, ACutShortValueNamesWhatWasBeingRead) {
    try {
        dlp::decodeUserInfo(std::string(29, '\0')); // the password's length is missing
        FAIL();
    } catch (const dlp::ProtocolError_t& e) {
        EXPECT_STREQ(e.what(), "the user info is cut short: 1 more bytes wanted at byte 29 of 29");
    }
    try {
        dlp::decodeRecord(bytes({0, 0, 0, 1, 0, 0, 0, 3, 0x40})); // no category
        FAIL();
    } catch (const dlp::ProtocolError_t& e) {
        EXPECT_STREQ(e.what(), "a record is cut short: 1 more bytes wanted at byte 9 of 9");
    }
}

TEST(SimulatedHandheld, ServesAPalmDatabaseFileAsItsRecords) {
    plm::pdb::Header_t header;
    header.name = "TrackDB";
    header.attributes = 0x0008;
    header.version = 3;
    header.created = 0xC0000000; // 2006-01-27 16:51:12
    header.modificationNumber = 9;
    header.type = "Trck";
    header.creator = "VTRK";
    const std::string file = plm::pdb::build(header, {{0x4A, 0xABCDEF, "ab"}, {0x40, 2, ""}});
    const sim::Database database = sim::databaseFromPdb(file, 4);
    EXPECT_EQ(database.info.name, "TrackDB");
    EXPECT_EQ(database.info.attributes, 0x0008);
    EXPECT_EQ(database.info.version, 3);
    EXPECT_EQ(database.info.type, "Trck");
    EXPECT_EQ(database.info.creator, "VTRK");
    EXPECT_EQ(database.info.modificationNumber, 9u);
    EXPECT_EQ(database.info.index, 4);
    EXPECT_EQ(database.info.created.bytes, (std::array<uint8_t, 8>{0x07, 0xD6, 1, 27, 16, 51, 12, 0}));
    EXPECT_EQ(database.info.modified.year(), 0); // none
    ASSERT_EQ(database.records.size(), 2u);
    EXPECT_EQ(database.records[0].id, 0xABCDEFu);
    EXPECT_EQ(database.records[0].attributes, 0x40);
    EXPECT_EQ(database.records[0].category, 0x0A);
    EXPECT_EQ(database.records[0].data, "ab");
    EXPECT_EQ(database.records[0].size, 2);
    EXPECT_EQ(database.records[1].index, 1);
    EXPECT_EQ(database.records[1].data, "");
    EXPECT_TRUE(database.appBlock.empty());

    std::string damaged = file;
    damaged[78 + 8 + 3] = 0x7F; // record 1 past the end
    try {
        sim::databaseFromPdb(damaged, 0);
        FAIL();
    } catch (const dlp::ProtocolError_t& e) {
        EXPECT_STREQ(e.what(), "a damaged Palm database: record 1 starts past the end of the file");
    }
    EXPECT_THROW(sim::databaseFromPdb(file.substr(0, 77), 0), dlp::ProtocolError_t);
}

// A desktop and a peer on the two ends of a socket pair.
struct Pair {
    Pair() {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        desktop = dlp::Socket_t(fds[0]);
        peer = dlp::Socket_t(fds[1]);
    }
    void peerSends(const std::string& wire) { peer.writeAll(wire.data(), wire.size(), 1s); }
    dlp::Socket_t desktop, peer;
};

TEST(DlpNetSync, FramesOverTheLimitOrOfAnotherTypeAreRefusedBeforeAnyAllocation) {
    Pair pair;
    dlp::NetSyncTransport_t transport(std::move(pair.desktop), 1s);
    pair.peerSends(bytes({1, 3, 0x7F, 0xFF, 0xFF, 0xFF}));
    try {
        transport.receive();
        FAIL();
    } catch (const dlp::ProtocolError_t& e) {
        EXPECT_NE(std::string(e.what()).find("claims 2147483647 bytes"), std::string::npos) << e.what();
    }
    pair.peerSends(bytes({2, 3, 0, 0, 0, 0}));
    EXPECT_THROW(transport.receive(), dlp::ProtocolError_t);
}

TEST(DlpNetSync, AShortFrameOrASilentPeerEndsWithinTheTimeout) {
    Pair pair;
    dlp::NetSyncTransport_t transport(std::move(pair.desktop), 200ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(transport.receive(), dlp::LinkError_t); // nothing at all
    pair.peerSends(bytes({1, 3, 0, 0, 0, 10, 'a', 'b'}));
    EXPECT_THROW(transport.receive(), dlp::LinkError_t); // cut short, then silent
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    pair.peer = dlp::Socket_t();
    try {
        transport.receive();
        FAIL();
    } catch (const dlp::LinkError_t& e) {
        EXPECT_STREQ(e.what(), "the connection was closed");
    }
}

// The simulator on one end, a desktop session on the other, the simulator lying as asked.
std::string desktopAgainst(sim::Faults faults) {
    Pair pair;
    sim::Facts facts;
    facts.user.name = "Ann";
    std::thread handheld([&] {
        dlp::NetSyncTransport_t transport(std::move(pair.peer), 2s);
        sim::Simulator simulator(facts);
        try {
            simulator.serve(transport, faults);
        } catch (const std::exception&) {
        }
    });
    std::string outcome = "completed";
    try {
        dlp::NetSyncTransport_t transport(std::move(pair.desktop), 300ms);
        dlp::DesktopSession_t session(transport);
        session.handshake();
        session.readSysInfo();
        session.readUserInfo();
        uint8_t handle = 0;
        if (session.openDb("TrackDB", 0, 0x90, handle) == 5)
            outcome = "not found";
        session.endOfSync(0);
    } catch (const dlp::ProtocolError_t& e) {
        outcome = std::string("protocol: ") + e.what();
    } catch (const dlp::LinkError_t& e) {
        outcome = std::string("link: ") + e.what();
    }
    handheld.join();
    return outcome;
}

TEST(DlpDesktopSession, EveryBrokenAnswerEndsTheSessionWithItsReason) {
    using Lie = sim::Faults::Lie;
    auto lie = [](Lie kind) {
        sim::Faults faults;
        faults.lieAt = 2;
        faults.lie = kind;
        return faults;
    };
    EXPECT_EQ(desktopAgainst({}), "not found"); // no TrackDB on this handheld
    EXPECT_EQ(desktopAgainst(lie(Lie::WrongTransaction)),
              "protocol: an answer with transaction 5 to request 4");
    EXPECT_EQ(desktopAgainst(lie(Lie::WrongFunction)), "protocol: an answer of function 17 to function 16");
    EXPECT_NE(desktopAgainst(lie(Lie::Oversized)).find("protocol: a Net Sync frame claims 65793 bytes"),
              std::string::npos);
    EXPECT_NE(desktopAgainst(lie(Lie::CutShort)).find("protocol: an answer is cut short"), std::string::npos);
    EXPECT_NE(desktopAgainst(lie(Lie::Garbage)).find("protocol: "), std::string::npos);
    sim::Faults drop;
    drop.dropAt = 2;
    EXPECT_EQ(desktopAgainst(drop), "link: the connection was closed");
    sim::Faults stall;
    stall.stallAt = 3;
    EXPECT_EQ(desktopAgainst(stall), "link: the peer said nothing for 0.3 s");
}

TEST(DlpDesktopSession, TransactionIdsRunFromOneToFeAndWrap) {
    Pair pair;
    std::thread handheld([&] {
        dlp::NetSyncTransport_t transport(std::move(pair.peer), 2s);
        sim::Simulator simulator({});
        try {
            simulator.serve(transport, {});
        } catch (const std::exception&) {
        }
    });
    auto transport = std::make_unique<dlp::NetSyncTransport_t>(std::move(pair.desktop), 2s);
    dlp::DesktopSession_t session(*transport);
    try {
        session.handshake();
        for (int i = 0; i < 600; ++i)
            session.openConduit(); // the simulator hangs up on a 0 or 0xFF id
        session.endOfSync(0);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "after " << session.roundTrips() << " requests: " << e.what();
    }
    EXPECT_EQ(session.roundTrips(), 601u);
    transport.reset(); // hang up, so that a waiting simulator ends
    handheld.join();
}

} // namespace
