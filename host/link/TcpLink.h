#ifndef HOST_LINK_TCPLINK_H
#define HOST_LINK_TCPLINK_H

#include "host/link/Link.h"

#include "dlp/DLP_Socket.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace host {

// Handhelds set to network HotSync (Wi-Fi, Bluetooth PAN, modem): Net Sync over TCP.
//
// Connections are greeted (the Net Sync handshake) on a few threads of the link's own, several at
// once, so that peers that stay silent or trickle their bytes never keep the link from greeting the
// next handheld; only a handheld that opened its session is handed on. One that comes while
// another HotSync runs is told the desktop is busy on the same threads.
class TcpLink_t : public Link_t {
public:
    // Greetings and refusals that run at once; more wait their turn, up to kMostWaiting, beyond
    // which new connections are left in the system's queue (so that a flood of connections never
    // takes the descriptors a HotSync needs).
    static constexpr std::size_t kGreeters = 64;
    static constexpr std::size_t kMostWaiting = 256;

    // @exception dlp::LinkError_t when the address cannot be listened on.
    // `timeout` bounds each answer of a handheld (a busy one's too) and, ten times, the waits of a
    // whole session (see dlp::BoundedStream_t).
    TcpLink_t(const dlp::Endpoint_t& endpoint, dlp::Timeout_t timeout);
    ~TcpLink_t() override;
    std::optional<Arrival_t> waitForHandheld(const StopCheck_t& stopRequested) override;
    bool refuseBusy(Arrival_t& arrival) override;
    std::string name() const override;
    uint16_t port() const;

private:
    // A connection to greet, or a greeted handheld to tell the desktop is busy.
    struct Job_t {
        dlp::Socket_t socket;
        std::optional<Arrival_t> refusal;
    };
    void submit(Job_t job);
    void work();
    void greet(dlp::Socket_t socket);
    void refuse(Arrival_t arrival);
    // While a job talks to a peer, the link can cut it (when it ends).
    uint64_t holdCut(std::function<void()> cut);
    void dropCut(uint64_t id);

    dlp::Endpoint_t m_endpoint;
    dlp::Socket_t m_listener;
    dlp::Timeout_t m_timeout;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job_t> m_jobs;
    std::deque<Arrival_t> m_ready; // greeted, for waitForHandheld
    std::map<uint64_t, std::function<void()>> m_cuts;
    uint64_t m_nextCut = 0;
    std::vector<std::thread> m_greeters;
    std::size_t m_idle = 0;
    bool m_stopping = false;
};

} // namespace host

#endif
