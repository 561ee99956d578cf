#ifndef HOST_LINK_TCPLINK_H
#define HOST_LINK_TCPLINK_H

#include "host/link/Link.h"

#include "dlp/DLP_Socket.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace host {

// Handhelds set to network HotSync (Wi-Fi, Bluetooth PAN, modem): Net Sync over TCP.
class TcpLink_t : public Link_t {
public:
    // @exception dlp::LinkError_t when the address cannot be listened on.
    // `timeout` bounds each answer of a handheld (a busy one's too).
    TcpLink_t(const dlp::Endpoint_t& endpoint, dlp::Timeout_t timeout);
    ~TcpLink_t() override;
    std::optional<Arrival_t> waitForHandheld(const StopCheck_t& stopRequested) override;
    bool refuseBusy(Arrival_t& arrival) override;
    std::string name() const override;
    uint16_t port() const;

private:
    dlp::Endpoint_t m_endpoint;
    dlp::Socket_t m_listener;
    dlp::Timeout_t m_timeout;
    struct Refusal_t {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };
    std::vector<Refusal_t> m_refusals;
};

} // namespace host

#endif
