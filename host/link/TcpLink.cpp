#include "host/link/TcpLink.h"

#include "dlp/DLP_Desktop.h"
#include "dlp/DLP_NetSync.h"

#include <iostream>
#include <sys/socket.h>

namespace host {

TcpLink_t::TcpLink_t(const dlp::Endpoint_t& endpoint, dlp::Timeout_t timeout)
    : m_endpoint(endpoint), m_listener(dlp::listenOn(endpoint)), m_timeout(timeout) {}

uint16_t TcpLink_t::port() const {
    return dlp::boundPort(m_listener);
}

std::string TcpLink_t::name() const {
    return m_endpoint.address + ":" + std::to_string(port());
}

std::optional<Arrival_t> TcpLink_t::waitForHandheld(const StopCheck_t& stopRequested) {
    while (!stopRequested()) {
        dlp::Socket_t connection = dlp::acceptWithin(m_listener, std::chrono::milliseconds(200));
        if (!connection.open())
            continue;
        Arrival_t arrival;
        arrival.where = connection.peerName();
        const int fd = connection.fd();
        // Shutting the socket down ends every wait on it at once; the descriptor stays the
        // transport's to close.
        arrival.cut = [fd] { ::shutdown(fd, SHUT_RDWR); };
        arrival.transport = std::make_unique<dlp::NetSyncTransport_t>(std::move(connection), m_timeout);
        return arrival;
    }
    return std::nullopt;
}

// The refusal runs on a thread of its own, so that a handheld that answers slowly never keeps the
// link from greeting the next one.
bool TcpLink_t::refuseBusy(Arrival_t& arrival) {
    // Refusals that ended are joined here, so that a long-running server keeps none of them.
    std::erase_if(m_refusals, [](Refusal_t& refusal) {
        if (!*refusal.ended)
            return false;
        refusal.thread.join();
        return true;
    });
    auto ended = std::make_shared<std::atomic<bool>>(false);
    m_refusals.push_back({std::thread([ended, transport = std::move(arrival.transport)] {
                              try {
                                  dlp::DesktopSession_t session(*transport);
                                  session.handshake();
                                  session.addSyncLogEntry(handheldLine(
                                      "the desktop is busy with another HotSync; try again in a minute"));
                                  session.endOfSync(0);
                                  std::cerr << "pathlet: a second handheld was told the desktop is busy\n";
                              } catch (const std::exception& e) {
                                  std::cerr
                                      << "pathlet: a second handheld came while busy and could not be told: "
                                      << e.what() << "\n";
                              }
                              *ended = true;
                          }),
                          ended});
    return true;
}

TcpLink_t::~TcpLink_t() {
    for (Refusal_t& refusal : m_refusals)
        refusal.thread.join();
}

} // namespace host
