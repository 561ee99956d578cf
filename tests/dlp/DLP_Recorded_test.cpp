// The desktop's requests and the handheld simulator's answers against sessions recorded from real
// devices, byte for byte.
#include "HandheldSimulator.h"
#include "Recording.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Desktop.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Plays the handheld's recorded frames to the desktop and holds every frame the desktop sends
// against the recorded one.
class ReplayedHandheld : public dlp::Transport_t {
public:
    explicit ReplayedHandheld(const std::string& name) : m_frames(recording::load(name)) {}
    void send(const dlp::Frame_t& frame) override {
        ASSERT_LT(m_next, m_frames.size());
        ASSERT_FALSE(m_frames[m_next].fromHandheld) << "the desktop spoke out of turn at frame " << m_next;
        EXPECT_EQ(dlp::encodeFrame(frame), m_frames[m_next].wire) << "desktop frame " << m_next;
        ++m_next;
    }
    dlp::Frame_t receive() override {
        if (m_next >= m_frames.size() || !m_frames[m_next].fromHandheld)
            throw dlp::LinkError_t("the recording has no answer here");
        return m_frames[m_next++].frame;
    }
    // The next recorded desktop request, for requests the desktop has no call of its own for.
    dlp::Request_t nextRequest() const { return dlp::decodeRequest(m_frames.at(m_next).frame.payload); }
    bool done() const { return m_next == m_frames.size(); }

private:
    std::vector<recording::Frame> m_frames;
    std::size_t m_next = 0;
};

TEST(DlpRecordedDesktop, ANoOpSyncSendsWhatDesktopsSend) {
    ReplayedHandheld handheld("no-op-test.net.json");
    dlp::DesktopSession_t session(handheld);
    session.handshake();
    const dlp::SysInfo_t system = session.readSysInfo();
    EXPECT_EQ(system.romVersion, 0x05403017u);
    EXPECT_TRUE(system.hasVersions);
    EXPECT_EQ(system.dlpMajor, 1);
    EXPECT_EQ(system.dlpMinor, 2);
    EXPECT_EQ(system.largestRecord, 0xFFE1u);
    const dlp::UserInfo_t user = session.readUserInfo();
    EXPECT_EQ(user.name, ""); // a handheld that never synced
    EXPECT_EQ(user.userId, 0u);
    EXPECT_EQ(session.endOfSync(0), 0);
    EXPECT_TRUE(handheld.done());
}

TEST(DlpRecordedDesktop, ListsDatabasesAsDesktopsDo) {
    ReplayedHandheld handheld("list-db-test.net.json");
    dlp::DesktopSession_t session(handheld);
    session.handshake();
    session.readSysInfo();
    session.readUserInfo();
    dlp::DbList_t list;
    ASSERT_EQ(session.readDbList(0xA0, 0, 0, list), 0);
    ASSERT_EQ(list.databases.size(), 20u);
    EXPECT_TRUE(list.more);
    EXPECT_EQ(list.lastIndex, 42);
    EXPECT_EQ(list.databases[2].name, "MemoDB");
    EXPECT_EQ(list.databases[2].creator, "memo");
    EXPECT_EQ(list.databases[1].name, "Bluetooth Trusted Devices");
    EXPECT_EQ(list.databases[19].index, 42);
    EXPECT_EQ(session.endOfSync(0), 0);
    EXPECT_TRUE(handheld.done());
}

TEST(DlpRecordedDesktop, OpensReadsAndClosesADatabaseAsDesktopsDo) {
    ReplayedHandheld handheld("read-memo-test.net.json");
    dlp::DesktopSession_t session(handheld);
    session.handshake();
    session.readSysInfo();
    session.readUserInfo();
    EXPECT_EQ(session.openConduit(), 0);
    uint8_t handle = 0;
    ASSERT_EQ(session.openDb("MemoDB", 0, 0x80, handle), 0);
    EXPECT_EQ(handle, 1);
    uint16_t records = 0;
    ASSERT_EQ(session.readOpenDbInfo(handle, records), 0);
    EXPECT_EQ(records, 1);
    // The app block, the id list and a read by id: requests the server never makes, sent as recorded.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(session.call(handheld.nextRequest()).error, 0);
    EXPECT_EQ(session.closeDb(handle), 0);
    EXPECT_EQ(session.endOfSync(0), 0);
    EXPECT_TRUE(handheld.done());
}

// The simulator, configured with a recorded device's facts, answers its recorded requests.
struct Replay {
    std::vector<recording::Frame> frames;
    sim::Facts facts;
};

Replay replayOf(const std::string& name) {
    Replay replay{recording::load(name), {}};
    const auto& frames = replay.frames;
    // Facts of the device, from its own answers: who it is, its system, its address.
    const std::string& hello = frames.at(2).frame.payload;
    dlp::Reader_t address(std::string_view(hello).substr(30, 6), "address");
    replay.facts.address = address.u32();
    replay.facts.port = address.u16();
    replay.facts.layout = hello.substr(18, 2) == std::string("\x3c\x00", 2) ? sim::HandshakeLayout::Rom5
                                                                            : sim::HandshakeLayout::Rom4;
    const dlp::Response_t system = dlp::decodeResponse(frames.at(6).frame.payload);
    replay.facts.system = dlp::decodeSysInfo(system.arguments.at(0).data, &system.arguments.at(1).data);
    replay.facts.user =
        dlp::decodeUserInfo(dlp::decodeResponse(frames.at(8).frame.payload).arguments.at(0).data);
    return replay;
}

// Answers every recorded request with the simulator until the first one it does not know (the
// handheld's state after such a request is not the simulator's business); returns those
// functions.
std::set<uint8_t> expectRecordedAnswers(Replay& replay) {
    sim::Simulator simulator(replay.facts);
    const auto& frames = replay.frames;
    EXPECT_EQ(dlp::encodeFrame({0xFF, sim::Simulator::hello()}), frames[0].wire);
    EXPECT_EQ(dlp::encodeFrame({1, simulator.helloAnswer()}), frames[2].wire);
    EXPECT_EQ(dlp::encodeFrame({2, sim::Simulator::confirmAnswer()}), frames[4].wire);
    std::set<uint8_t> unknown;
    for (std::size_t i = 5; i + 1 < frames.size(); i += 2) {
        const dlp::Request_t request = dlp::decodeRequest(frames[i].frame.payload);
        const dlp::Response_t response = simulator.answer(request);
        if (response.error == dlp::kDlpUnknownFunction) {
            unknown.insert(request.function);
            continue;
        }
        if (!unknown.empty())
            continue;
        EXPECT_EQ(dlp::encodeFrame({frames[i].frame.transaction, dlp::encodeResponse(response)}),
                  frames[i + 1].wire)
            << "answer to request " << i << " (function " << int(request.function) << ")";
    }
    return unknown;
}

TEST(DlpRecordedSimulator, AnswersANoOpSyncAsTheDevice) {
    Replay replay = replayOf("no-op-test.net.json");
    EXPECT_EQ(replay.facts.system.productId, std::string("\x01\0\0\0", 4));
    EXPECT_TRUE(expectRecordedAnswers(replay).empty());
}

TEST(DlpRecordedSimulator, ListsDatabasesAsTheDevice) {
    Replay replay = replayOf("list-db-test.net.json");
    const dlp::Response_t answer = dlp::decodeResponse(replay.frames.at(10).frame.payload);
    for (const dlp::DbInfo_t& info : dlp::decodeDbList(answer.arguments.at(0).data).databases)
        replay.facts.databases.push_back({info, {}, {}});
    dlp::DbInfo_t later;
    later.name = "Later";
    later.index = 43;
    replay.facts.databases.push_back({later, {}, {}}); // the device had more than one answer holds
    EXPECT_TRUE(expectRecordedAnswers(replay).empty());
}

TEST(DlpRecordedSimulator, ServesADatabaseAsTheDevice) {
    Replay replay = replayOf("read-memo-test.net.json");
    sim::Database memo;
    memo.info.name = "MemoDB";
    const dlp::Response_t appBlock = dlp::decodeResponse(replay.frames.at(16).frame.payload);
    memo.appBlock = appBlock.arguments.at(0).data.substr(2);
    dlp::Record_t record;
    record.id = 0x457001;
    record.attributes = 0x40;
    record.data = std::string("Hello, world!", 14); // with its zero
    record.size = 14;
    memo.records.push_back(record);
    replay.facts.databases.push_back(memo);
    EXPECT_TRUE(expectRecordedAnswers(replay).empty());
}

TEST(DlpRecordedSimulator, AnswersOlderDevicesUntilARequestItDoesNotServe) {
    Replay info = replayOf("device-info-test.net.json");
    EXPECT_EQ(info.facts.user.name, "Test 0");
    EXPECT_EQ(info.facts.layout, sim::HandshakeLayout::Rom4);
    // WriteUserInfo, the clock, storage and Net Sync settings: a desktop that only reads needs none.
    EXPECT_EQ(expectRecordedAnswers(info), (std::set<uint8_t>{0x11, 0x13, 0x14, 0x15, 0x36, 0x37}));
    Replay created = replayOf("create-delete-db-test.net.json");
    EXPECT_EQ(created.facts.user.name, "Palm OS Emulator");
    EXPECT_EQ(expectRecordedAnswers(created), (std::set<uint8_t>{0x18, 0x1A, 0x39})); // create, delete, find
}

} // namespace
