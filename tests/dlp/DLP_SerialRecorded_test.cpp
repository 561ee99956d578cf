// The serial stack against sessions recorded from a real handheld (OS 3.5, on RS-232) and an
// emulator (OS 4.1, long PADP headers): the desktop, fed the handheld's recorded bytes,
// writes what the recorded desktop wrote; the simulated handheld, fed the recorded desktop's
// bytes, writes what the recorded handheld wrote. Both peers' timing repeated frames in the
// recordings, so each side's frames are compared once each, in the order they first appear.
#include "HandheldSimulator.h"
#include "MemoryStream.h"
#include "SerialHandheld.h"
#include "SerialRecording.h"

#include "dlp/DLP_Desktop.h"
#include "dlp/DLP_PrefixStream.h"
#include "dlp/DLP_SerialAccept.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using namespace serial_recording;
using testing_link::MemoryStream;

std::vector<std::string> framesOf(const std::vector<std::string>& writes) {
    std::string joined;
    for (const std::string& write : writes)
        joined += write;
    return framesIn(joined);
}

// The recorded desktop's DLP requests, in order.
std::vector<dlp::Request_t> recordedRequests(const std::vector<Chunk>& chunks) {
    std::vector<dlp::Request_t> requests;
    for (const auto& [transaction, payload] : messagesIn(framesIn(sentBy(chunks, false))))
        if (transaction != dlp::kCmpTransaction)
            requests.push_back(dlp::decodeRequest(payload));
    return requests;
}

// Our desktop against the recorded handheld: CMP, then each recorded request through the
// session's own call for it where it has one.
void expectDesktopAsRecorded(const std::string& name, uint32_t rate) {
    const std::vector<Chunk> chunks = load(name);
    MemoryStream line;
    for (const Chunk& chunk : chunks)
        if (chunk.fromHandheld)
            line.incoming.push_back(chunk.bytes);
    line.hungUp = true;
    dlp::SerialOptions_t options;
    options.timeout = 2s;
    options.ackTimeout = 500ms;
    options.tickleEvery = 0ms;
    options.nudgeAfter = 0ms;
    dlp::AcceptedLink_t link = dlp::acceptOnStream(line, options, {});
    ASSERT_TRUE(link.transport);
    EXPECT_EQ(link.kind, dlp::LinkKind_t::SerialStack);
    EXPECT_EQ(link.cmp.rate, rate);
    dlp::DesktopSession_t session(*link.transport);
    for (const dlp::Request_t& request : recordedRequests(chunks)) {
        switch (static_cast<dlp::Function>(request.function)) {
        case dlp::Function::ReadSysInfo:
            session.readSysInfo();
            break;
        case dlp::Function::ReadUserInfo:
            session.readUserInfo();
            break;
        case dlp::Function::AddSyncLogEntry: {
            const std::string& text = request.arguments.at(0).data;
            EXPECT_EQ(session.addSyncLogEntry(text.substr(0, text.find('\0'))), 0);
            break;
        }
        case dlp::Function::ReadDBList: {
            const std::string& argument = request.arguments.at(0).data;
            dlp::DbList_t list;
            EXPECT_EQ(session.readDbList(static_cast<uint8_t>(argument[0]), 0, 0, list), 0);
            EXPECT_FALSE(list.databases.empty());
            break;
        }
        case dlp::Function::EndOfSync:
            EXPECT_EQ(session.endOfSync(0), 0);
            break;
        default:
            session.call(request);
        }
    }
    EXPECT_EQ(firstAppearances(framesOf(line.written)), firstAppearances(framesIn(sentBy(chunks, false))));
    EXPECT_GE(line.written.size(), 8u) << name; // CMP and three requests at least
}

TEST(DlpSerialRecordedDesktop, AHandheldOnAnRs232Port) {
    expectDesktopAsRecorded("no-op-test.serial.json", 115200);
    expectDesktopAsRecorded("list-db-test.serial.json", 115200);
    expectDesktopAsRecorded("create-delete-db-test.serial.json", 115200);
}

TEST(DlpSerialRecordedDesktop, AnEmulatorWithLongHeaders) {
    expectDesktopAsRecorded("no-op-test.serial-net.json", 115200);
    expectDesktopAsRecorded("list-db-test.serial-net.json", 115200);
    expectDesktopAsRecorded("read-memo-test.serial-net.json", 115200);
    expectDesktopAsRecorded("device-info-test.serial-net.json", 115200);
}

TEST(DlpSerialRecordedDesktop, AnswersInManyFragments) {
    // A 23 KB resource in 1024-byte fragments, each acknowledged with its offset.
    expectDesktopAsRecorded("read-db-test.serial-net.json", 115200);
}

// Without the bytes some handhelds leave after an acknowledgement (they differ each time).
std::string withoutTail(const std::string& wire) {
    const dlp::SlpScan_t scan = dlp::scanSlp(wire);
    dlp::PadpPacket_t packet = dlp::decodePadp(scan.frame.transaction, scan.frame.payload);
    if (packet.type != dlp::kPadpAck || packet.data.empty())
        return wire;
    packet.data.clear();
    dlp::SlpFrame_t frame = scan.frame;
    frame.payload = dlp::encodePadp(packet);
    return dlp::encodeSlp(frame);
}

const dlp::Response_t* answerTo(const std::vector<dlp::Response_t>& answers, dlp::Function function) {
    for (const dlp::Response_t& answer : answers)
        if (answer.function == static_cast<uint8_t>(function))
            return &answer;
    return nullptr;
}

// The simulator, told the recorded handheld's facts, against the recorded desktop.
void expectHandheldAsRecorded(const std::string& name) {
    const std::vector<Chunk> chunks = load(name);
    const std::vector<std::string> recorded = framesIn(sentBy(chunks, true));
    std::vector<dlp::Response_t> answers;
    sim::SerialSetup setup;
    for (const auto& [transaction, payload] : messagesIn(recorded)) {
        if (transaction != dlp::kCmpTransaction) {
            answers.push_back(dlp::decodeResponse(payload));
            continue;
        }
        const dlp::CmpPacket_t wakeUp = dlp::decodeCmp(payload);
        setup.maxBaud = wakeUp.rate;
        setup.cmpMajor = wakeUp.major;
        setup.cmpMinor = wakeUp.minor;
        setup.longForm = wakeUp.flags & dlp::kCmpLongPadp;
    }
    sim::Facts facts;
    const dlp::Response_t* system = answerTo(answers, dlp::Function::ReadSysInfo);
    ASSERT_TRUE(system);
    facts.system = dlp::decodeSysInfo(system->arguments.at(0).data,
                                      system->arguments.size() > 1 ? &system->arguments[1].data : nullptr);
    facts.user = dlp::decodeUserInfo(answerTo(answers, dlp::Function::ReadUserInfo)->arguments.at(0).data);
    if (const dlp::Response_t* listed = answerTo(answers, dlp::Function::ReadDBList)) {
        const dlp::DbList_t list = dlp::decodeDbList(listed->arguments.at(0).data);
        for (const dlp::DbInfo_t& info : list.databases)
            facts.databases.push_back({info, {}, {}});
        facts.listBatch = list.databases.size();
        if (list.more) { // the handheld had more than one answer holds
            dlp::DbInfo_t later;
            later.name = "Later";
            later.index = static_cast<uint16_t>(list.lastIndex + 1);
            facts.databases.push_back({later, {}, {}});
        }
    }
    if (const dlp::Response_t* record = answerTo(answers, dlp::Function::ReadRecord)) {
        sim::Database database;
        for (const dlp::Request_t& request : recordedRequests(chunks))
            if (request.function == static_cast<uint8_t>(dlp::Function::OpenDB)) {
                const std::string& argument = request.arguments.at(0).data;
                database.info.name = argument.substr(2, argument.find('\0', 2) - 2);
            }
        database.appBlock = answerTo(answers, dlp::Function::ReadAppBlock)->arguments.at(0).data.substr(2);
        database.records.push_back(dlp::decodeRecord(record->arguments.at(0).data));
        facts.databases.push_back(database);
    }

    MemoryStream line;
    for (const Chunk& chunk : chunks)
        if (!chunk.fromHandheld)
            line.incoming.push_back(chunk.bytes);
    line.hungUp = true;
    setup.ackTimeout = 500ms;
    setup.timeout = 2s;
    sim::Simulator simulator(facts);
    sim::SerialReport report;
    sim::playSerial(simulator, std::make_unique<dlp::PrefixStream_t>(line, ""), nullptr, false, setup, {},
                    report, {});
    EXPECT_TRUE(simulator.ended());
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(report.longForm, setup.longForm);
    std::vector<std::string> expected;
    for (const std::string& wire : firstAppearances(recorded))
        expected.push_back(withoutTail(wire));
    EXPECT_EQ(firstAppearances(framesOf(line.written)), firstAppearances(expected)) << name;
    EXPECT_GE(expected.size(), 8u) << name;
}

TEST(DlpSerialRecordedHandheld, AnswersAsTheHandheldOnAnRs232Port) {
    expectHandheldAsRecorded("no-op-test.serial.json");
    expectHandheldAsRecorded("list-db-test.serial.json");
}

TEST(DlpSerialRecordedHandheld, AnswersAsTheEmulatorWithLongHeaders) {
    expectHandheldAsRecorded("no-op-test.serial-net.json");
    expectHandheldAsRecorded("list-db-test.serial-net.json"); // an answer in two fragments
    expectHandheldAsRecorded("read-memo-test.serial-net.json");
}

} // namespace
