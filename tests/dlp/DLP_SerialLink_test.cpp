// Whole sessions on a pseudo-terminal: the desktop opens the far end as it would a serial port,
// the simulated handheld plays a cradle handheld on the master, faults and all. The line's rate
// as the desktop set it is read on the master.
#include "HandheldSimulator.h"
#include "PtyPair.h"
#include "SerialHandheld.h"

#include "dlp/DLP_Desktop.h"
#include "dlp/DLP_SerialAccept.h"
#include "dlp/DLP_Tty.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using std::chrono::steady_clock;

dlp::SerialOptions_t quickDesktop() {
    dlp::SerialOptions_t options;
    options.ackTimeout = 300ms;
    options.tries = 5;
    options.timeout = 2s;
    options.tickleEvery = 0ms;
    options.switchPause = 10ms;
    options.settleWindow = 1500ms;
    options.poll = 50ms;
    options.nudgeAfter = 0ms;
    return options;
}

sim::SerialSetup quickHandheld() {
    sim::SerialSetup setup;
    setup.ackTimeout = 300ms;
    setup.timeout = 2s;
    return setup;
}

struct SerialRun {
    std::string outcome = "completed"; // or what ended the desktop's session
    std::string handheld;              // what ended the handheld's, if anything did
    dlp::LinkKind_t kind = dlp::LinkKind_t::SerialStack;
    uint32_t desktopBaud = 0;
    sim::SerialReport report;
    bool ended = false;
    int requests = 0;
    steady_clock::duration took{};
};

// How long the desktop waits for a handheld to wake: long enough for a loaded machine to start the
// handheld's thread.
constexpr auto kGiveUpAfter = 3s;

// One session; `idle` is how long the desktop works between two requests, `late` how long after
// the handheld starts the desktop begins to listen.
SerialRun runSession(const sim::SerialSetup& setup, const sim::Faults& faults = {},
                     const dlp::SerialOptions_t& options = quickDesktop(),
                     std::chrono::milliseconds idle = 0ms, std::chrono::milliseconds late = 0ms) {
    SerialRun run;
    sim::PtyPair pair;
    auto desktopLine = std::make_unique<dlp::TtyStream_t>(pair.path());
    auto handheldLine = std::make_unique<dlp::TtyStream_t>(pair.takeMaster(), pair.path());
    sim::Facts facts;
    facts.user.name = "Ann";
    sim::Simulator simulator(facts);
    std::thread handheld([&, line = std::move(handheldLine)]() mutable {
        dlp::TtyStream_t* tty = line.get();
        try {
            sim::playSerial(simulator, std::move(line), tty, true, setup, faults, run.report, {});
        } catch (const std::exception& e) {
            run.handheld = e.what();
        }
    });
    std::this_thread::sleep_for(late);
    const auto start = steady_clock::now();
    try {
        dlp::AcceptedLink_t link = dlp::acceptOnTty(
            *desktopLine, options, [&] { return steady_clock::now() - start > kGiveUpAfter; });
        if (!link.transport) {
            run.outcome = "no handheld";
        } else {
            run.kind = link.kind;
            run.desktopBaud = desktopLine->baud();
            EXPECT_EQ(link.baud, run.desktopBaud);
            dlp::DesktopSession_t session(*link.transport);
            if (link.kind == dlp::LinkKind_t::NetSync)
                session.handshake();
            session.readSysInfo();
            EXPECT_EQ(session.readUserInfo().name, "Ann");
            std::this_thread::sleep_for(idle);
            uint8_t handle = 0;
            EXPECT_EQ(session.openDb("TrackDB", 0, 0x80, handle), dlp::kDlpNotFound);
            session.endOfSync(0);
        }
    } catch (const dlp::ProtocolError_t& e) {
        run.outcome = std::string("protocol: ") + e.what();
    } catch (const dlp::LinkError_t& e) {
        run.outcome = std::string("link: ") + e.what();
    }
    run.took = steady_clock::now() - start;
    // The handheld may still wait for the desktop: hanging up ends it.
    desktopLine.reset();
    handheld.join();
    run.ended = simulator.ended();
    run.requests = simulator.requests();
    return run;
}

TEST(DlpSerialLink, AWholeSessionMovesToTheAgreedRate) {
    const SerialRun run = runSession(quickHandheld());
    EXPECT_EQ(run.outcome, "completed");
    EXPECT_EQ(run.handheld, "");
    EXPECT_EQ(run.kind, dlp::LinkKind_t::SerialStack);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.requests, 4);
    EXPECT_EQ(run.report.beforeAck, 9600u); // not before the handheld had acknowledged the INIT
    EXPECT_EQ(run.report.offered, 115200u);
    EXPECT_EQ(run.report.seen, 115200u);
    EXPECT_EQ(run.desktopBaud, 115200u);
    EXPECT_TRUE(run.report.longForm);
    EXPECT_TRUE(run.report.problems.empty());
}

TEST(DlpSerialLink, TheRateIsTheSlowerOfTheTwoMaximums) {
    sim::SerialSetup slow = quickHandheld();
    slow.maxBaud = 57600;
    EXPECT_EQ(runSession(slow).report.seen, 57600u);
    dlp::SerialOptions_t capped = quickDesktop();
    capped.maxBaud = 38400;
    const SerialRun run = runSession(quickHandheld(), {}, capped);
    EXPECT_EQ(run.report.seen, 38400u);
    EXPECT_EQ(run.desktopBaud, 38400u);
    sim::SerialSetup oldest = quickHandheld();
    oldest.maxBaud = 9600;
    oldest.longForm = false;
    const SerialRun stays = runSession(oldest);
    EXPECT_EQ(stays.outcome, "completed");
    EXPECT_EQ(stays.report.offered, 9600u);
    EXPECT_EQ(stays.desktopBaud, 9600u);
    EXPECT_FALSE(stays.report.longForm);
}

TEST(DlpSerialLink, TheLinesFaultsAreRidden) {
    auto with = [](auto change) {
        sim::SerialSetup setup = quickHandheld();
        change(setup.faults);
        return runSession(setup);
    };
    for (int frame = 2; frame <= 5; ++frame) {
        const SerialRun run = with([frame](sim::SerialFaults& f) { f.badCrcAt = frame; });
        EXPECT_EQ(run.outcome, "completed") << "bad CRC on frame " << frame;
        EXPECT_TRUE(run.ended);
    }
    EXPECT_EQ(with([](sim::SerialFaults& f) { f.loseAckAt = 2; }).outcome, "completed");
    EXPECT_EQ(with([](sim::SerialFaults& f) { f.duplicateAt = 3; }).outcome, "completed");
    EXPECT_EQ(with([](sim::SerialFaults& f) { f.garbage = true; }).outcome, "completed");
    EXPECT_EQ(with([](sim::SerialFaults& f) { f.repeatWakeUp = true; }).outcome, "completed");
}

TEST(DlpSerialLink, AHandheldSlowToFollowTheRateIsReachedQuickly) {
    sim::SerialSetup setup = quickHandheld();
    setup.faults.deafAfterSwitch = 800ms; // as a real handheld was seen to be
    dlp::SerialOptions_t options = quickDesktop();
    options.ackTimeout = 2s;
    options.tries = 2;
    const SerialRun run = runSession(setup, {}, options);
    EXPECT_EQ(run.outcome, "completed");
    EXPECT_LT(run.took, 2s); // not a whole acknowledgement time lost
}

TEST(DlpSerialLink, TicklesKeepTheHandheldWaitingWhileTheDesktopWorks) {
    sim::SerialSetup setup = quickHandheld();
    setup.timeout = 400ms;
    dlp::SerialOptions_t options = quickDesktop();
    options.tickleEvery = 100ms;
    EXPECT_EQ(runSession(setup, {}, options, 900ms).outcome, "completed");
    options.tickleEvery = 0ms;
    const SerialRun silent = runSession(setup, {}, options, 900ms);
    EXPECT_NE(silent.outcome, "completed");
    EXPECT_NE(silent.handheld.find("said nothing"), std::string::npos) << silent.handheld;
}

TEST(DlpSerialLink, ADroppedOrStalledHandheldEndsTheSession) {
    sim::Faults drop;
    drop.dropAt = 2;
    EXPECT_NE(runSession(quickHandheld(), drop).outcome.find("hung up"), std::string::npos);
    sim::Faults stall;
    stall.stallAt = 3;
    EXPECT_EQ(runSession(quickHandheld(), stall).outcome, "link: the handheld said nothing for 2.0 s");
}

TEST(DlpSerialLink, ANewerCmpIsAbortedOnBothSides) {
    sim::SerialSetup setup = quickHandheld();
    setup.cmpMajor = 2;
    const SerialRun run = runSession(setup);
    EXPECT_EQ(run.outcome, "protocol: the handheld speaks CMP 2.3; this desktop knows version 1 only");
    EXPECT_EQ(run.handheld, "the desktop aborted CMP (flags 128)");
}

TEST(DlpSerialLink, AHandheldThatNeverWakesIsWaitedForUntilStopped) {
    sim::SerialSetup setup = quickHandheld();
    setup.faults.neverWake = true;
    setup.timeout = 10s; // the handheld outwaits the desktop, which hangs up on it
    const SerialRun run = runSession(setup);
    EXPECT_EQ(run.outcome, "no handheld");
    EXPECT_GE(run.took, kGiveUpAfter);
    EXPECT_EQ(run.handheld, "");
}

std::atomic<bool> g_signalled{false};

extern "C" void onTestSignal(int) {
    g_signalled = true;
}

TEST(DlpSerialLink, ASignalEndsTheWaitForAHandheld) {
    struct sigaction action {
    }, previous{};
    action.sa_handler = &onTestSignal; // without SA_RESTART, as Ctrl-C's handler: the wait is cut short
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    g_signalled = false;
    sim::PtyPair pair;
    dlp::TtyStream_t line(pair.path());
    dlp::TtyStream_t cradle(pair.takeMaster(), pair.path()); // there, silent
    dlp::SerialOptions_t options = quickDesktop();
    options.poll = 20s; // only the signal can end the wait in time
    const pthread_t waiting = ::pthread_self();
    std::atomic<bool> done{false};
    std::thread signaller([waiting, &done] {
        // Again until heard: one that comes just before a wait begins is noticed only after it.
        for (std::this_thread::sleep_for(200ms); !done; std::this_thread::sleep_for(100ms))
            ::pthread_kill(waiting, SIGUSR1);
    });
    const auto start = steady_clock::now();
    const dlp::AcceptedLink_t link = dlp::acceptOnTty(line, options, [] { return g_signalled.load(); });
    done = true;
    signaller.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_FALSE(link.transport);
    EXPECT_LT(steady_clock::now() - start, 5s);
}

TEST(DlpSerialLink, NetSyncFramingOnATty) {
    sim::SerialSetup setup = quickHandheld();
    setup.stack = sim::Stack::NetSync;
    // Telling the stacks apart takes the desktop a few reads; on a loaded machine (sanitizers,
    // tests in parallel) that has outlasted the handheld's usual 2 s.
    setup.timeout = 6s;
    // A Net Sync handheld sends its first frame once. The desktop empties the line as it begins to
    // listen, so a frame sent before then is lost, and only the nudge gets it sent again; the
    // desktop nudges by default. A loaded machine starts the desktop late by chance; 300 ms makes
    // that certain.
    dlp::SerialOptions_t options = quickDesktop();
    options.nudgeAfter = 300ms;
    for (const std::chrono::milliseconds late : {0ms, 300ms}) {
        const SerialRun run = runSession(setup, {}, options, 0ms, late);
        EXPECT_EQ(run.outcome, "completed") << "the desktop " << late.count() << " ms late";
        EXPECT_EQ(run.handheld, "");
        EXPECT_EQ(run.kind, dlp::LinkKind_t::NetSync);
        EXPECT_EQ(run.desktopBaud, 9600u);
        EXPECT_TRUE(run.ended);
    }
}

TEST(DlpTty, OpensOnlyTerminalsAndTakesOnlyLineRates) {
    sim::PtyPair pair;
    dlp::TtyStream_t line(pair.path());
    EXPECT_EQ(line.describe(), pair.path() + " at 9600 baud");
    line.setBaud(230400);
    EXPECT_EQ(line.baud(), 230400u);
    EXPECT_EQ(line.describe(), pair.path() + " at 230400 baud");
    try {
        line.setBaud(12345);
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(),
                     "12345 baud is not a rate a serial line can be set to (9600, 19200, 38400, 57600, "
                     "115200, 230400)");
    }
    EXPECT_EQ(line.baud(), 230400u);
    try {
        dlp::TtyStream_t notATerminal("/dev/null");
        FAIL();
    } catch (const dlp::LinkError_t& e) {
        EXPECT_EQ(std::string(e.what()).rfind("/dev/null is not a terminal: ", 0), 0u) << e.what();
    }
    EXPECT_THROW(dlp::TtyStream_t("/nonexistent/ttyS9"), dlp::LinkError_t);
}

TEST(DlpTty, ReadsAndWritesEveryByteAndWaitsNoLongerThanAsked) {
    sim::PtyPair pair;
    dlp::TtyStream_t desktop(pair.path());
    dlp::TtyStream_t handheld(pair.takeMaster(), pair.path());
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    handheld.write(all, 1s);
    std::string got(256, '\0');
    dlp::readExactly(desktop, got.data(), got.size(), 1s);
    EXPECT_EQ(got, all); // NUL, XON, XOFF, CR and LF pass raw
    const auto start = steady_clock::now();
    char byte;
    EXPECT_THROW(desktop.readSome(&byte, 1, 100ms), dlp::LinkError_t);
    EXPECT_GE(steady_clock::now() - start, 100ms);
    EXPECT_LT(steady_clock::now() - start, 1s);
}

} // namespace

// The command itself: it makes the pair, says where, plays the handheld and says the rate it saw.
std::vector<std::string> linesOf(FILE* output) {
    std::vector<std::string> lines;
    char line[512];
    while (std::fgets(line, sizeof line, output))
        lines.emplace_back(line, std::strcspn(line, "\n"));
    return lines;
}

TEST(HandheldSimCommand, PlaysACradleHandheldOnAPseudoTerminal) {
    FILE* output =
        ::popen(PATHLET_SIMULATOR " --pty --user Ann --max-baud 57600 --timeout 5 --ack-timeout 0.3 "
                                  "--garbage --repeat-wakeup",
                "r");
    ASSERT_NE(output, nullptr);
    char first[256] = {};
    ASSERT_NE(std::fgets(first, sizeof first, output), nullptr);
    const std::string announced(first, std::strcspn(first, "\n"));
    ASSERT_EQ(announced.rfind("pty /dev/", 0), 0u) << announced;
    std::string outcome = "completed";
    {
        dlp::TtyStream_t line(announced.substr(4));
        try {
            dlp::AcceptedLink_t link = dlp::acceptOnTty(line, quickDesktop(), {});
            // Read while the handheld still holds its end: once it has gone, the line is hung up
            // and tells nothing.
            EXPECT_EQ(line.baud(), 57600u);
            EXPECT_EQ(link.baud, 57600u);
            dlp::DesktopSession_t session(*link.transport);
            EXPECT_EQ(session.readUserInfo().name, "Ann");
            session.addSyncLogEntry("Pathlet: nothing to do");
            session.endOfSync(0);
        } catch (const std::exception& e) {
            outcome = e.what();
        }
    }
    const std::vector<std::string> rest = linesOf(output);
    EXPECT_EQ(::pclose(output), 0);
    EXPECT_EQ(outcome, "completed");
    EXPECT_EQ(rest, (std::vector<std::string>{"baud 57600 long", "log: Pathlet: nothing to do",
                                              "0 records read, 3 requests"}));
}
