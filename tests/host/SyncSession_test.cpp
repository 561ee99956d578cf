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
};

// A root with the user Ann; a handheld of Ann without a TrackDB, so that the conduit fails first.
class SyncSession : public ::testing::Test {
protected:
    SyncSession() : m_root(fs::temp_directory_path() / ("pathlet_session_" + std::to_string(::getpid()))) {
        fs::remove_all(m_root);
        fs::create_directories(m_root);
        host::HotSyncRoot(m_root.string()).addUser("Ann", std::nullopt, std::nullopt);
    }
    ~SyncSession() override { fs::remove_all(m_root); }

    SessionRun run(std::function<void(const host::HotSyncResult&)> after) {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        SessionRun result;
        sim::Facts facts;
        facts.user.name = "Ann";
        std::thread handheld([&, fd = fds[1]] {
            dlp::NetSyncTransport_t transport(dlp::Socket_t(fd), 5s);
            sim::Simulator simulator(facts);
            try {
                simulator.serve(transport, {});
            } catch (const std::exception&) {
            }
            result.handheldLog = simulator.syncLog();
            result.ended = simulator.ended();
        });
        host::SyncOptions options;
        options.root = m_root.string();
        options.timeout = 5s;
        options.hotsync.logFormat = host::LogFormat::Text;
        options.afterHotSync = std::move(after);
        host::Arrival_t arrival;
        arrival.where = "a socket pair";
        arrival.transport = std::make_unique<dlp::NetSyncTransport_t>(dlp::Socket_t(fds[0]), 5s);
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

} // namespace
