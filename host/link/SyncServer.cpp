// pathlet sync: a network HotSync server. A handheld set to network HotSync connects; the server
// reads who it is, runs the conduit against it over the Desktop Link Protocol, tells the handheld
// what happened and ends the sync. It only ever reads from the handheld.
#include "host/link/SyncServer.h"

#include "host/hotsync/HotSyncWords.h"
#include "host/hotsync/SyncTypes.h"
#include "host/link/DlpLink.h"
#include "host/platform/HotSyncRoot.h"
#include "host/text/Utf8Text.h"

#include "dlp/DLP_Desktop.h"
#include "glo/GLO_Exception.h"
#include "plm/desktop/PLM_LinkHandheld.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace host {

namespace {

std::atomic<bool> g_stop{false};

extern "C" void onStopSignal(int) {
    g_stop = true;
}

// The handheld's HotSync log takes short lines.
std::string handheldLine(const std::string& text) {
    constexpr std::size_t kMost = 200;
    std::string line = "Pathlet: " + text;
    return line.size() <= kMost ? line : line.substr(0, kMost - 3) + "...";
}

class ProgressLine {
public:
    explicit ProgressLine(bool shown) : m_shown(shown) {}
    void update(uint16_t index, uint16_t count) {
        if (!m_shown || (index + 1u != count && (index % 16) != 0))
            return;
        std::cerr << "\rReading TrackDB: " << index + 1u << " of " << count << " records" << std::flush;
        m_drawn = true;
    }
    // The terminal's line is ended however the HotSync ends.
    ~ProgressLine() {
        if (m_drawn)
            std::cerr << "\n";
    }

private:
    bool m_shown;
    bool m_drawn = false;
};

// Says no to a handheld while another HotSync runs, and ends its sync.
void refuseBusy(dlp::Socket_t socket) {
    try {
        dlp::NetSyncTransport_t transport(std::move(socket), std::chrono::seconds(5));
        dlp::DesktopSession_t session(transport);
        session.handshake();
        session.addSyncLogEntry(
            handheldLine("the desktop is busy with another HotSync; try again in a minute"));
        session.endOfSync(0);
        std::cerr << "pathlet: a second handheld was told the desktop is busy\n";
    } catch (const std::exception& e) {
        std::cerr << "pathlet: a second handheld came while busy and could not be told: " << e.what() << "\n";
    }
}

} // namespace

SyncOutcome syncOneHandheld(dlp::Socket_t socket, const SyncOptions& options) {
    const std::string peer = socket.peerName();
    SyncOutcome outcome;
    dlp::NetSyncTransport_t transport(std::move(socket), options.timeout);
    dlp::DesktopSession_t session(transport);
    DlpLink link(session);
    auto finish = [&](const std::string& words, bool succeeded) {
        outcome.succeeded = succeeded;
        outcome.words = words;
        if (!link.lost()) {
            try {
                session.addSyncLogEntry(
                    handheldLine(outcome.handheldWords.empty() ? words : outcome.handheldWords));
                session.endOfSync(succeeded ? 0 : 1);
            } catch (const std::exception& e) {
                outcome.words += " (and the sync could not be ended: " + std::string(e.what()) + ")";
            }
        }
        outcome.roundTrips = session.roundTrips();
        std::cerr << "pathlet: " << peer << ": " << outcome.words << "\n";
        return outcome;
    };
    try {
        session.handshake();
        session.readSysInfo();
        const dlp::UserInfo_t who = session.readUserInfo();
        const std::string name = fromCodePage(who.name, options.codePage.value_or(kDefaultCodePage));
        outcome.user = name;
        if (name.empty())
            return finish("the handheld has no HotSync user yet; give it a name on the handheld first",
                          false);
        HotSyncRoot root(options.root);
        if (const auto problem = root.problemWith(name))
            return finish(*problem, false);
        if (!root.user(name)) {
            if (!options.addUsers) {
                outcome.handheldWords = name + " is not a user of this desktop";
                return finish("unknown user '" + name +
                                  "' refused (add it with 'pathlet users add', or run with --add-users)",
                              false);
            }
            std::optional<uint32_t> id;
            bool idFree = who.userId != 0;
            for (const User& user : root.users())
                idFree &= user.id != who.userId;
            if (idFree)
                id = who.userId;
            const User added = root.addUser(name, id, std::nullopt);
            std::cerr << "pathlet: added user '" << added.name << "' (id " << added.id << ", directory "
                      << added.directory << ")\n";
        }
        session.openConduit();
        HotSyncResult result;
        {
            // The handheld (and any database it holds open) is done before the sync is ended.
            ProgressLine progress(options.progress);
            plm::LinkHandheld_t handheld(
                link, [&](uint16_t index, uint16_t count) { progress.update(index, count); });
            HotSyncOptions hotsync = options.hotsync;
            hotsync.root = options.root;
            hotsync.user = name;
            result = performHotSync(hotsync, handheld, [&] { return handheld.problem(); });
            outcome.recordsRead = handheld.recordsRead();
        }
        if (options.afterHotSync)
            options.afterHotSync(result);
        if (result.succeeded && !result.didNothing)
            outcome.handheldWords = countWords(result.tracks, result.points) + " copied";
        else if (result.didNothing)
            outcome.handheldWords = "nothing done (the action is " + syncTypeWords(result.syncType) + ")";
        return finish(result.words, result.succeeded);
    } catch (const dlp::LinkError_t& e) {
        return finish(std::string("the link to the handheld failed: ") + e.what(), false);
    } catch (const dlp::ProtocolError_t& e) {
        // A broken answer: nothing more is sent on a link that cannot be trusted.
        std::cerr << "pathlet: " << peer << ": the handheld broke the protocol: " << e.what() << "\n";
        outcome.words = std::string("the handheld broke the protocol: ") + e.what();
        return outcome;
    } catch (const glo::Exception_t& e) {
        // Whatever fails after the conduit (the export, the user's settings) still ends the sync.
        return finish("the HotSync failed (" + std::string(e.source()) + " line " + std::to_string(e.line()) +
                          (e.message().empty() ? ")" : "): " + e.message()),
                      false);
    } catch (const std::exception& e) {
        return finish(e.what(), false);
    } catch (...) {
        return finish("the HotSync failed for a reason it did not say", false);
    }
}

int serveHandhelds(const SyncOptions& options) {
    if (!fs::is_directory(options.root))
        throw UsageError("HotSync root " + options.root +
                         " does not exist (add a user with 'pathlet users add')");
    const dlp::Socket_t listener = dlp::listenOn(options.listen);
    std::cerr << "pathlet: waiting for handhelds on " << options.listen.address << ":"
              << dlp::boundPort(listener) << " (Ctrl-C ends)\n";
    if (options.onListening)
        options.onListening(dlp::boundPort(listener));

    g_stop = false;
    struct sigaction action {};
    action.sa_handler = &onStopSignal;
    struct sigaction oldInterrupt {
    }, oldTerminate{};
    ::sigaction(SIGINT, &action, &oldInterrupt);
    ::sigaction(SIGTERM, &action, &oldTerminate);

    std::mutex mutex;
    std::thread worker;
    std::atomic<bool> busy{false};
    std::atomic<int> workerFd{-1};
    int status = 0;
    bool served = false;
    auto joinWorker = [&] {
        if (worker.joinable())
            worker.join();
    };
    // A failure to accept ends the server, after the HotSync under way.
    struct JoinOnExit {
        std::thread& thread;
        ~JoinOnExit() {
            if (thread.joinable())
                thread.join();
        }
    } joinOnExit{worker};
    while (!g_stop && !(options.once && served && !busy)) {
        dlp::Socket_t connection = dlp::acceptWithin(listener, std::chrono::milliseconds(200));
        if (!connection.open())
            continue;
        if (busy) {
            refuseBusy(std::move(connection));
            continue;
        }
        joinWorker();
        busy = true;
        served = true;
        workerFd = connection.fd();
        worker = std::thread([&, socket = std::move(connection)]() mutable {
            bool succeeded = false;
            try {
                succeeded = syncOneHandheld(std::move(socket), options).succeeded;
            } catch (const std::exception& e) {
                std::cerr << "pathlet: the HotSync failed: " << e.what() << "\n";
            }
            {
                const std::lock_guard<std::mutex> guard(mutex);
                status = succeeded ? 0 : 1;
            }
            workerFd = -1;
            busy = false;
        });
    }
    if (g_stop && busy) {
        // Ctrl-C during a HotSync: cut the link, so that the conduit fails and leaves the old file.
        const int fd = workerFd;
        if (fd >= 0)
            ::shutdown(fd, SHUT_RDWR);
    }
    joinWorker();
    ::sigaction(SIGINT, &oldInterrupt, nullptr);
    ::sigaction(SIGTERM, &oldTerminate, nullptr);
    if (g_stop) {
        std::cerr << "pathlet: stopped\n";
        return options.once ? 130 : 0;
    }
    return status;
}

} // namespace host
