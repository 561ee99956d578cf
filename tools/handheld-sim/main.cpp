// pathlet-handheld-sim: a handheld that HotSyncs, for tests. Over the network it connects to a
// desktop; on a serial line (a tty, or a pseudo-terminal it makes) it plays a cradle handheld. It
// serves the .pdb files it was given, and fails on request.
#include "HandheldSimulator.h"
#include "PtyPair.h"
#include "SerialHandheld.h"
#include "SlowStream.h"
#include "host/arguments/UsageCheck.h"

#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_SocketStream.h"
#include "dlp/DLP_Tty.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Trickle {
    int from = 0; // the first write sent a byte at a time (0: none)
    std::chrono::milliseconds gap{1000};
};

std::unique_ptr<dlp::ByteStream_t> trickled(std::unique_ptr<dlp::ByteStream_t> stream,
                                            const Trickle& trickle) {
    if (trickle.from == 0)
        return stream;
    return std::make_unique<sim::SlowStream>(std::move(stream), trickle.from, trickle.gap);
}

// What a handheld that fell silent heard of the desktop after.
int reportSilence(const sim::Simulator& simulator) {
    std::cout << "silent: " << simulator.framesAfterSilence() << " frames came after; the link ended after "
              << dlp::secondsText(simulator.silentFor()) << " (" << simulator.silenceEnd() << ")\n";
    return 0;
}

// Plays the handheld on a serial line; returns the exit status.
int playSerialLine(sim::Simulator& simulator, const std::string& path, bool pty,
                   const sim::SerialSetup& setup, const sim::Faults& faults, const Trickle& trickle) {
    std::unique_ptr<dlp::TtyStream_t> line;
    dlp::TtyStream_t* tty = nullptr;
    std::optional<sim::PtyPair> pair;
    if (pty) {
        pair.emplace();
        std::cout << "pty " << pair->path() << std::endl;
        if (!pair->awaitFarEnd(setup.timeout)) {
            std::cerr << "pathlet-handheld-sim: nobody opened " << pair->path() << "\n";
            return 1;
        }
        // The desktop drops what came before it was ready; a handheld is put in its cradle after.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        line = std::make_unique<dlp::TtyStream_t>(pair->takeMaster(), pair->path());
    } else {
        line = std::make_unique<dlp::TtyStream_t>(path);
    }
    tty = line.get();
    sim::SerialReport report;
    try {
        sim::playSerial(simulator, trickled(std::move(line), trickle), tty, pty, setup, faults, report,
                        [](const sim::SerialReport& seen) {
                            std::cout << "baud " << seen.seen << (seen.longForm ? " long" : "") << std::endl;
                        });
    } catch (const dlp::LinkError_t& e) {
        if (!simulator.ended() && !setup.faults.neverWake)
            report.problems.push_back(e.what());
    } catch (const dlp::ProtocolError_t& e) {
        report.problems.push_back(e.what());
    }
    if (simulator.fellSilent())
        return reportSilence(simulator);
    for (const std::string& line : simulator.syncLog())
        std::cout << "log: " << line << "\n";
    std::cout << simulator.recordsRead() << " records read, " << simulator.requests() << " requests\n";
    if (setup.faults.neverWake) {
        std::cout << "never woke\n";
        return 0;
    }
    for (const std::string& problem : report.problems)
        std::cerr << "pathlet-handheld-sim: " << problem << "\n";
    if (!simulator.ended()) {
        std::cerr << "pathlet-handheld-sim: the sync did not end\n";
        return 1;
    }
    return report.problems.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App cli{"A handheld that HotSyncs over the network, for tests", "pathlet-handheld-sim"};
    cli.set_version_flag("--version", "pathlet-handheld-sim " PATHLET_VERSION);
    std::string connect = "127.0.0.1:" + std::to_string(dlp::kNetSyncPort), handheld, user;
    uint32_t userId = 0;
    double timeout = 30;
    sim::Faults faults;
    std::vector<std::string> errors;
    std::string lie;
    cli.add_option("--connect", connect,
                   "The desktop's ADDR:PORT (default 127.0.0.1:" + std::to_string(dlp::kNetSyncPort) + ")");
    cli.add_option("--handheld", handheld, "A .pdb file or a directory of them: the handheld's databases");
    cli.add_option("--user", user, "The handheld's HotSync user name (default: none yet)");
    cli.add_option("--user-id", userId, "The handheld's HotSync user id");
    cli.add_option("--timeout", timeout, "Seconds to wait for each request of the desktop (default 30)");
    cli.add_option("--drop-at", faults.dropAt, "Close the connection at this request (counted from 1)");
    cli.add_option("--stall-at", faults.stallAt, "Never answer this request");
    cli.add_option("--error", errors,
                   "FUNCTION=CODE: answer that function (hex, e.g. 17=5) with a DLP error");
    cli.add_option("--lie", lie,
                   "KIND@N: answer request N wrongly (transaction, function, oversized, short, garbage)");
    Trickle trickle;
    double trickleGap = 1, delay = 0;
    cli.add_option(
        "--trickle", trickle.from,
        "From the Nth write on (1 is the first frame), send one byte at a time, --trickle-gap apart");
    cli.add_option("--trickle-gap", trickleGap, "Seconds between two trickled bytes (default 1)");
    cli.add_option("--silent-handshake", faults.silentAfter,
                   "Fall silent after sending N frames of the Net Sync handshake (0, 1 or 2) and report what "
                   "the desktop sends after")
        ->check(CLI::Range(0, 2));
    cli.add_option("--delay", delay, "Seconds to wait before each answer (default 0)");
    // The serial line.
    std::string serial, stack = "slp", version = "1.3";
    bool pty = false, shortPadp = false;
    double ackTimeout = 2, deaf = 0;
    sim::SerialSetup setup;
    auto* ptyFlag = cli.add_flag("--pty", pty,
                                 "Play a cradle handheld on a new pseudo-terminal: prints 'pty PATH' for the "
                                 "desktop to open, then 'baud RATE' once CMP is done");
    cli.add_option("--serial", serial, "Play a cradle handheld on this tty")->excludes(ptyFlag);
    cli.add_option("--stack", stack,
                   "On a serial line: slp (the serial stack, default) or netsync (Net Sync "
                   "framing, as a USB handheld on the kernel's tty)")
        ->check(CLI::IsMember({"slp", "netsync"}));
    cli.add_option("--max-baud", setup.maxBaud, "The fastest rate the handheld offers (default 115200)");
    cli.add_option("--cmp-version", version, "The CMP version of the wakeup (default 1.3)");
    cli.add_flag("--short-padp", shortPadp, "Do not offer long PADP headers (as OS 3 handhelds)");
    cli.add_option("--ack-timeout", ackTimeout,
                   "Seconds to wait for the desktop's acknowledgement (default 2)");
    cli.add_option("--bad-crc", setup.faults.badCrcAt, "Send the Nth SLP frame with a wrong CRC");
    cli.add_option("--lose-ack", setup.faults.loseAckAt,
                   "Never acknowledge the Nth request (answer it only)");
    cli.add_option("--duplicate", setup.faults.duplicateAt, "Send the Nth data fragment twice");
    cli.add_flag("--garbage", setup.faults.garbage, "Send noise before every SLP frame");
    cli.add_flag("--never-wake", setup.faults.neverWake, "Never send the CMP wakeup");
    cli.add_flag("--repeat-wakeup", setup.faults.repeatWakeUp,
                 "Repeat the wakeup until the INIT comes, as some handhelds do");
    double tickleStalled = 0;
    cli.add_option("--tickle-stalled", tickleStalled,
                   "On the serial stack: tickle every so many seconds in place of answering the --stall-at "
                   "request");
    cli.add_option("--deaf", deaf, "Seconds the handheld takes nothing after the rate change (default 0)");
    if (const auto status = cli::parseArguments(cli, argc, argv))
        return *status;
    trickle.gap = std::chrono::milliseconds(static_cast<long long>(trickleGap * 1000));
    faults.delay = std::chrono::milliseconds(static_cast<long long>(delay * 1000));
    try {
        for (const std::string& error : errors) {
            const auto equals = error.find('=');
            if (equals == std::string::npos)
                throw std::invalid_argument("--error takes FUNCTION=CODE, not " + error);
            faults.errors[static_cast<uint8_t>(std::stoul(error.substr(0, equals), nullptr, 16))] =
                static_cast<uint16_t>(std::stoul(error.substr(equals + 1)));
        }
        if (!lie.empty()) {
            const auto at = lie.find('@');
            const std::string kind = lie.substr(0, at);
            faults.lieAt = at == std::string::npos ? 1 : std::stoi(lie.substr(at + 1));
            using Lie = sim::Faults::Lie;
            faults.lie = kind == "transaction" ? Lie::WrongTransaction
                         : kind == "function"  ? Lie::WrongFunction
                         : kind == "oversized" ? Lie::Oversized
                         : kind == "short"     ? Lie::CutShort
                                               : Lie::Garbage;
        }
        sim::Simulator simulator(sim::deviceFacts(
            user, userId, handheld.empty() ? std::vector<sim::Database>() : sim::databasesAt(handheld)));
        if (pty || !serial.empty()) {
            const auto dot = version.find('.');
            if (dot == std::string::npos)
                throw std::invalid_argument("--cmp-version takes MAJOR.MINOR, not " + version);
            setup.cmpMajor = static_cast<uint8_t>(std::stoul(version.substr(0, dot)));
            setup.cmpMinor = static_cast<uint8_t>(std::stoul(version.substr(dot + 1)));
            setup.stack = stack == "netsync" ? sim::Stack::NetSync : sim::Stack::Slp;
            setup.longForm = !shortPadp;
            setup.ackTimeout = std::chrono::milliseconds(static_cast<long long>(ackTimeout * 1000));
            setup.timeout = std::chrono::milliseconds(static_cast<long long>(timeout * 1000));
            setup.faults.deafAfterSwitch = std::chrono::milliseconds(static_cast<long long>(deaf * 1000));
            setup.faults.tickleWhileStalled =
                std::chrono::milliseconds(static_cast<long long>(tickleStalled * 1000));
            return playSerialLine(simulator, serial, pty, setup, faults, trickle);
        }
        const dlp::Endpoint_t endpoint = dlp::parseEndpoint(connect, dlp::kNetSyncPort);
        const auto wait = dlp::Timeout_t(static_cast<long long>(timeout * 1000));
        dlp::NetSyncTransport_t transport(
            trickled(std::make_unique<dlp::SocketStream_t>(dlp::connectTo(endpoint, wait)), trickle), wait);
        try {
            simulator.serve(transport, faults);
        } catch (const dlp::LinkError_t& e) {
            if (!simulator.ended())
                throw;
        }
        if (simulator.fellSilent())
            return reportSilence(simulator);
        for (const std::string& line : simulator.syncLog())
            std::cout << "log: " << line << "\n";
        std::cout << simulator.recordsRead() << " records read, " << simulator.requests() << " requests\n";
        if (!simulator.ended()) {
            std::cerr << "pathlet-handheld-sim: the sync did not end\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "pathlet-handheld-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
