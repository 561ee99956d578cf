// pathlet sync: serves handhelds on every link it was given at once, one HotSync at a time. Each
// link waits for handhelds on a thread of its own; a HotSync runs on a worker thread, so that a
// link that can say "busy" (TCP) still greets the handhelds that come meanwhile.
#include "host/link/SyncServer.h"

#include "host/link/TcpLink.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace host {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onStopSignal(int) {
    g_interrupted = true;
}

// Ctrl-C and the termination signal end the server; the previous handlers come back after.
class StopSignals_t {
public:
    StopSignals_t() {
        g_interrupted = false;
        struct sigaction action {};
        action.sa_handler = &onStopSignal;
        ::sigaction(SIGINT, &action, &m_interrupt);
        ::sigaction(SIGTERM, &action, &m_terminate);
    }
    ~StopSignals_t() {
        ::sigaction(SIGINT, &m_interrupt, nullptr);
        ::sigaction(SIGTERM, &m_terminate, nullptr);
    }
    StopSignals_t(const StopSignals_t&) = delete;
    StopSignals_t& operator=(const StopSignals_t&) = delete;

private:
    struct sigaction m_interrupt {};
    struct sigaction m_terminate {};
};

// The one HotSync that runs at a time, on a worker thread.
class Runner_t {
public:
    explicit Runner_t(const SyncOptions& options) : m_options(options) {}
    ~Runner_t() { joinWorker(); }

    // Runs the handheld's HotSync; while another runs, the link tells it the desktop is busy or
    // it waits its turn. False when the server stops first.
    bool serve(Link_t& link, Arrival_t arrival, const StopCheck_t& stopRequested) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_busy) {
            lock.unlock();
            if (link.refuseBusy(arrival))
                return true;
            lock.lock();
            while (m_busy && !stopRequested())
                m_idle.wait_for(lock, std::chrono::milliseconds(200));
        }
        if (stopRequested() || (m_options.once && m_served))
            return false;
        m_busy = true;
        m_served = true;
        m_cut = arrival.cut;
        joinWorker();
        m_worker = std::thread([this, arrival = std::move(arrival)]() mutable { run(std::move(arrival)); });
        return true;
    }

    // Ctrl-C during a HotSync: the link is cut, so that the conduit fails and leaves the old file.
    void cut() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_busy && m_cut)
            m_cut();
    }

    bool done() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_options.once && m_served && !m_busy;
    }
    int status() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_status;
    }
    void joinWorker() {
        if (m_worker.joinable())
            m_worker.join();
    }

private:
    void run(Arrival_t arrival) {
        bool succeeded = false;
        const std::function<void()> after = arrival.after;
        try {
            succeeded = syncOneHandheld(std::move(arrival), m_options).succeeded;
        } catch (const std::exception& e) {
            std::cerr << "pathlet: the HotSync failed: " << e.what() << "\n";
        }
        if (after) {
            try {
                after();
            } catch (const std::exception& e) {
                std::cerr << "pathlet: " << e.what() << "\n";
            }
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_status = succeeded ? 0 : 1;
        m_busy = false;
        m_cut = nullptr;
        m_idle.notify_all();
    }

    const SyncOptions& m_options;
    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    std::thread m_worker;
    std::function<void()> m_cut;
    bool m_busy = false;
    bool m_served = false;
    int m_status = 0;
};

} // namespace

int serveHandhelds(const SyncOptions& options, std::vector<std::unique_ptr<Link_t>> links) {
    if (!fs::is_directory(options.root))
        throw UsageError("HotSync root " + options.root +
                         " does not exist (add a user with 'pathlet users add')");
    if (links.empty())
        throw ArgumentError("no link to serve (give --listen, --usb or --serial)");
    std::string names;
    for (const auto& link : links)
        names += (names.empty() ? "" : ", ") + link->name();
    std::cerr << "pathlet: waiting for handhelds on " << names << " (Ctrl-C ends)\n";

    const StopSignals_t signals;
    std::atomic<bool> stopping{false};
    const StopCheck_t stopRequested = [&] { return stopping || g_interrupted; };
    SyncOptions served = options;
    served.interrupted = [] { return g_interrupted.load(); };
    Runner_t runner(served);
    std::vector<std::thread> waiters;
    for (const auto& link : links) {
        waiters.emplace_back([&, &link = *link] {
            while (!stopRequested()) {
                try {
                    std::optional<Arrival_t> arrival = link.waitForHandheld(stopRequested);
                    if (!arrival || !runner.serve(link, std::move(*arrival), stopRequested))
                        continue;
                } catch (const std::exception& e) {
                    std::cerr << "pathlet: " << link.name() << ": " << e.what() << "\n";
                    // A link that failed is tried again after a pause, not in a tight loop.
                    for (int i = 0; i < 20 && !stopRequested(); ++i)
                        std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            }
        });
    }
    while (!g_interrupted && !runner.done())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stopping = true;
    if (g_interrupted)
        runner.cut();
    for (std::thread& waiter : waiters)
        waiter.join();
    runner.joinWorker();
    if (g_interrupted) {
        std::cerr << "pathlet: stopped\n";
        return options.once ? 130 : 0;
    }
    return runner.status();
}

} // namespace host
