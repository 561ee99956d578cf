// One handheld's session through the server, against the simulated handheld on a socket pair:
// whatever fails after the conduit, the handheld still gets its log line and EndOfSync.
#include "host/link/SyncServer.h"
#include "host/platform/HotSyncRoot.h"

#include "HandheldSimulator.h"
#include "glo/GLO_Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct SessionRun {
    host::SyncOutcome outcome;
    std::vector<std::string> handheldLog;
    bool ended = false;
    bool silent = false;
    int framesAfterSilence = 0;
    std::chrono::milliseconds silentFor{0};
};

// A TrackDB of `count` records of `size` bytes each (what they hold does not matter: the desktop
// refuses them before the conduit reads them).
std::vector<sim::Database> trackDb(uint16_t count, std::size_t size) {
    sim::Database database;
    database.info.name = "TrackDB";
    for (uint16_t i = 0; i < count; ++i) {
        dlp::Record_t record;
        record.index = i;
        record.id = 1000u + i;
        record.data.assign(size, static_cast<char>('a' + i));
        record.size = static_cast<uint16_t>(size);
        database.records.push_back(std::move(record));
    }
    return {database};
}

// A root with the user Ann; a handheld of Ann without a TrackDB, so that the conduit fails first.
class SyncSession : public ::testing::Test {
protected:
    SyncSession() : m_root(fs::temp_directory_path() / ("pathlet_session_" + std::to_string(::getpid()))) {
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        host::HotSyncRoot(m_root.string()).addUser("Ann", std::nullopt, std::nullopt);
    }
    ~SyncSession() override { fs::remove_all(m_root); }

    SessionRun run(std::function<void(const host::HotSyncResult&)> after, sim::Faults faults = {},
                   std::vector<sim::Database> databases = {}, const host::HoldLimits_t& limits = {},
                   dlp::Timeout_t timeout = 5s) {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        SessionRun result;
        sim::Facts facts;
        facts.user.name = "Ann";
        facts.databases = std::move(databases);
        std::thread handheld([&, fd = fds[1]] {
            dlp::NetSyncTransport_t transport(dlp::Socket_t(fd), 5s);
            sim::Simulator simulator(facts);
            try {
                simulator.serve(transport, faults);
            } catch (const std::exception&) {
            }
            result.handheldLog = simulator.syncLog();
            result.ended = simulator.ended();
            result.silent = simulator.fellSilent();
            result.framesAfterSilence = simulator.framesAfterSilence();
            result.silentFor = simulator.silentFor();
        });
        host::SyncOptions options;
        options.root = m_root.string();
        options.timeout = timeout;
        options.limits = limits;
        options.hotsync.logFormat = host::LogFormat::Text;
        options.afterHotSync = std::move(after);
        host::Arrival_t arrival;
        arrival.where = "a socket pair";
        arrival.transport = std::make_unique<dlp::NetSyncTransport_t>(dlp::Socket_t(fds[0]), timeout);
        result.outcome = host::syncOneHandheld(std::move(arrival), options);
        handheld.join();
        return result;
    }

private:
    fs::path m_root;
};

TEST_F(SyncSession, AConduitExceptionAfterTheHotSyncStillEndsTheSync) {
    const SessionRun run = this->run([](const host::HotSyncResult&) { throw glo::Assert_t("Later.cpp", 7); });
    EXPECT_FALSE(run.outcome.succeeded);
    EXPECT_EQ(run.outcome.words, "the HotSync failed (Later.cpp line 7)");
    EXPECT_TRUE(run.ended);
    ASSERT_EQ(run.handheldLog.size(), 1u);
    EXPECT_EQ(run.handheldLog[0], "Pathlet: the HotSync failed (Later.cpp line 7)");
}

TEST_F(SyncSession, AnExceptionOfNoKnownKindStillEndsTheSync) {
    const SessionRun run = this->run([](const host::HotSyncResult&) { throw 42; });
    EXPECT_EQ(run.outcome.words, "the HotSync failed for a reason it did not say");
    EXPECT_TRUE(run.ended);
    ASSERT_EQ(run.handheldLog.size(), 1u);
}

TEST_F(SyncSession, WithoutAFailureAfterItTheHandheldHearsTheConduitsReason) {
    const SessionRun run = this->run(nullptr);
    EXPECT_FALSE(run.outcome.succeeded);
    EXPECT_TRUE(run.ended);
    ASSERT_EQ(run.handheldLog.size(), 1u);
    EXPECT_NE(run.handheldLog[0].find("TrackDB"), std::string::npos) << run.handheldLog[0];
}

TEST_F(SyncSession, AHandheldSilentInItsHandshakeIsSentNothingMoreAndDroppedAfterOneWait) {
    for (const int step : {0, 1, 2}) {
        sim::Faults faults;
        faults.silentAfter = step;
        const auto start = std::chrono::steady_clock::now();
        const SessionRun run = this->run(nullptr, faults, {}, {}, 300ms);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(run.outcome.succeeded);
        EXPECT_EQ(run.outcome.words, "the link to the handheld failed: the peer said nothing for 0.3 s")
            << step;
        EXPECT_TRUE(run.silent);
        EXPECT_EQ(run.framesAfterSilence, 0) << step;
        EXPECT_TRUE(run.handheldLog.empty());
        EXPECT_LT(took, 550ms) << step;
    }
}

// A HotSync refused before any record was copied: the words said on both sides, the sync ended.
void expectRefusedBeforeCopying(const SessionRun& run, const std::string& words) {
    EXPECT_EQ(run.outcome.words, words);
    EXPECT_EQ(run.outcome.recordsRead, 0u);
    EXPECT_TRUE(run.ended);
    ASSERT_EQ(run.handheldLog.size(), 1u);
    EXPECT_EQ(run.handheldLog[0], "Pathlet: " + words);
}

TEST_F(SyncSession, ADatabaseOfMoreRecordsThanTakenIsRefusedAndTheSyncEnded) {
    host::HoldLimits_t limits;
    limits.records = 2;
    const SessionRun run = this->run(nullptr, {}, trackDb(3, 10), limits);
    const std::string words =
        "the handheld's TrackDB has 3 records, more than the 2 this desktop takes; nothing "
        "was copied, the old Tracks.tlx is kept";
    EXPECT_FALSE(run.outcome.succeeded);
    expectRefusedBeforeCopying(run, words);
}

TEST_F(SyncSession, ADatabaseOfMoreBytesThanTakenIsRefusedAtTheRecordThatPassesTheLimit) {
    host::HoldLimits_t limits;
    limits.totalBytes = 50;
    const SessionRun run = this->run(nullptr, {}, trackDb(3, 60), limits);
    const std::string words =
        "the handheld's TrackDB holds more than 50 bytes, the most this desktop takes from "
        "a handheld (--max-size); nothing was copied, the old Tracks.tlx is kept";
    expectRefusedBeforeCopying(run, words);
}

TEST_F(SyncSession, ARecordLargerThanTakenIsRefused) {
    host::HoldLimits_t limits;
    limits.recordBytes = 50;
    const SessionRun run = this->run(nullptr, {}, trackDb(2, 60), limits);
    EXPECT_EQ(run.outcome.words,
              "record 0 of the handheld's TrackDB has 60 bytes, more than the 50 a record may "
              "have; nothing was copied, the old Tracks.tlx is kept");
    EXPECT_TRUE(run.ended);
}

} // namespace
