#include "host/link/TcpLink.h"

#include "dlp/DLP_BoundedStream.h"
#include "dlp/DLP_Desktop.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_SocketStream.h"

#include <iostream>
#include <sys/socket.h>

namespace host {

namespace {

// How long the link looks for a new connection before it looks for greeted handhelds again.
constexpr std::chrono::milliseconds kAcceptPoll{20};

} // namespace

TcpLink_t::TcpLink_t(const dlp::Endpoint_t& endpoint, dlp::Timeout_t timeout)
    : m_endpoint(endpoint), m_listener(dlp::listenOn(endpoint)), m_timeout(timeout) {}

TcpLink_t::~TcpLink_t() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        for (auto& [id, cut] : m_cuts)
            cut();
        m_jobs.clear();
        m_ready.clear();
    }
    m_wake.notify_all();
    for (std::thread& greeter : m_greeters)
        greeter.join();
}

uint16_t TcpLink_t::port() const {
    return dlp::boundPort(m_listener);
}

std::string TcpLink_t::name() const {
    dlp::Endpoint_t bound = m_endpoint;
    bound.port = port();
    return bound.text();
}

std::optional<Arrival_t> TcpLink_t::waitForHandheld(const StopCheck_t& stopRequested) {
    while (!stopRequested()) {
        bool full = false;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_ready.empty()) {
                Arrival_t arrival = std::move(m_ready.front());
                m_ready.pop_front();
                return arrival;
            }
            full = m_jobs.size() >= kMostWaiting;
        }
        // Beyond the most that wait, connections stay in the system's queue, holding no
        // descriptor of the server's, until greeters are free again.
        if (full) {
            std::this_thread::sleep_for(kAcceptPoll);
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        dlp::Socket_t connection = dlp::acceptWithin(m_listener, kAcceptPoll);
        if (connection.open()) {
            submit({std::move(connection), std::nullopt});
        } else if (const auto spent = std::chrono::steady_clock::now() - start; spent < kAcceptPoll) {
            // A connection came and could not be taken (no descriptor left): not again at once.
            std::this_thread::sleep_for(kAcceptPoll - spent);
        }
    }
    return std::nullopt;
}

bool TcpLink_t::refuseBusy(Arrival_t& arrival) {
    submit({dlp::Socket_t(), std::move(arrival)});
    return true;
}

void TcpLink_t::submit(Job_t job) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        return;
    if (m_jobs.size() >= kMostWaiting) {
        std::cerr << "pathlet: " << kMostWaiting
                  << " handhelds wait to be greeted or told the desktop is busy; one more was closed\n";
        return;
    }
    m_jobs.push_back(std::move(job));
    // Jobs beyond the idle threads get a thread of their own, up to the most.
    if (m_jobs.size() > m_idle && m_greeters.size() < kGreeters)
        m_greeters.emplace_back([this] { work(); });
    else
        m_wake.notify_one();
}

void TcpLink_t::work() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        --m_idle;
        if (m_stopping)
            return;
        Job_t job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        try {
            if (job.refusal)
                refuse(std::move(*job.refusal));
            else
                greet(std::move(job.socket));
        } catch (const std::exception& e) {
            std::cerr << "pathlet: " << e.what() << "\n";
        }
        lock.lock();
    }
}

uint64_t TcpLink_t::holdCut(std::function<void()> cut) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        cut();
    m_cuts.emplace(m_nextCut, std::move(cut));
    return m_nextCut++;
}

void TcpLink_t::dropCut(uint64_t id) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_cuts.erase(id);
}

// The handshake: a peer that does not open a Net Sync session within its time is closed, having
// been sent nothing more, and never takes the HotSync's turn.
void TcpLink_t::greet(dlp::Socket_t socket) {
    const int fd = socket.fd();
    const std::string where = socket.peerName();
    // Shutting the socket down ends every wait on it at once; the descriptor stays the
    // transport's to close.
    const auto cut = [fd] { ::shutdown(fd, SHUT_RDWR); };
    auto transport = std::make_unique<dlp::NetSyncTransport_t>(
        std::make_unique<dlp::BoundedStream_t>(std::make_unique<dlp::SocketStream_t>(std::move(socket)),
                                               dlp::sessionBase(m_timeout)),
        m_timeout);
    const uint64_t held = holdCut(cut);
    try {
        dlp::DesktopSession_t session(*transport);
        session.handshake();
    } catch (const std::exception& e) {
        dropCut(held);
        std::cerr << "pathlet: " << where << ": no HotSync began: " << e.what() << "\n";
        return;
    }
    dropCut(held);
    Arrival_t arrival;
    arrival.where = where;
    arrival.handshakeDone = true;
    arrival.cut = cut;
    arrival.transport = std::move(transport);
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_stopping)
        m_ready.push_back(std::move(arrival));
}

void TcpLink_t::refuse(Arrival_t arrival) {
    const uint64_t held = holdCut(arrival.cut);
    try {
        dlp::DesktopSession_t session(*arrival.transport);
        session.continueAfterHandshake();
        session.addSyncLogEntry(
            handheldLine("the desktop is busy with another HotSync; try again in a minute"));
        session.endOfSync(0);
        std::cerr << "pathlet: a second handheld was told the desktop is busy\n";
    } catch (const std::exception& e) {
        std::cerr << "pathlet: a second handheld came while busy and could not be told: " << e.what() << "\n";
    }
    dropCut(held);
}

} // namespace host
