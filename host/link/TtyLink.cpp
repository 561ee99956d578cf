#include "host/link/TtyLink.h"

#include "dlp/DLP_SerialAccept.h"

#include <thread>

namespace host {

namespace {

// The session's transport reads the link's tty, which outlives it; this one only forwards.
class LineTransport_t : public dlp::Transport_t {
public:
    explicit LineTransport_t(std::unique_ptr<dlp::Transport_t> inner) : m_inner(std::move(inner)) {}
    void send(const dlp::Frame_t& frame) override { m_inner->send(frame); }
    dlp::Frame_t receive() override { return m_inner->receive(); }

private:
    std::unique_ptr<dlp::Transport_t> m_inner;
};

} // namespace

TtyLink_t::TtyLink_t(const std::string& path, const dlp::SerialOptions_t& options)
    : m_path(path), m_options(options), m_tty(std::make_unique<dlp::TtyStream_t>(path)) {}

std::optional<Arrival_t> TtyLink_t::waitForHandheld(const StopCheck_t& stopRequested) {
    while (*m_inSession && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (stopRequested())
        return std::nullopt;
    m_tty->uncut();
    dlp::AcceptedLink_t accepted = dlp::acceptOnTty(*m_tty, m_options, stopRequested);
    if (!accepted.transport)
        return std::nullopt;
    *m_inSession = true;
    Arrival_t arrival;
    arrival.transport = std::make_unique<LineTransport_t>(std::move(accepted.transport));
    arrival.netSyncHandshake = accepted.kind == dlp::LinkKind_t::NetSync;
    arrival.where = m_tty->describe();
    arrival.cut = [tty = m_tty.get()] { tty->cut(); };
    arrival.after = [inSession = m_inSession] { *inSession = false; };
    return arrival;
}

} // namespace host
