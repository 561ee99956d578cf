#include "host/link/UsbLink.h"

#include "dlp/DLP_BoundedStream.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_SerialAccept.h"

#include <iostream>
#include <thread>

namespace host {

namespace {

// A transport that keeps the device's stream alive for as long as the session reads it.
class DeviceTransport_t : public dlp::Transport_t {
public:
    DeviceTransport_t(std::unique_ptr<dlp::ByteStream_t> stream, std::unique_ptr<dlp::Transport_t> inner)
        : m_stream(std::move(stream)), m_inner(std::move(inner)) {}
    ~DeviceTransport_t() override { m_inner.reset(); }
    void send(const dlp::Frame_t& frame) override { m_inner->send(frame); }
    dlp::Frame_t receive() override { return m_inner->receive(); }

private:
    std::unique_ptr<dlp::ByteStream_t> m_stream;
    std::unique_ptr<dlp::Transport_t> m_inner;
};

} // namespace

std::string usbWhere(uint16_t vendor, uint16_t product) {
    return "USB " + usb::idText(vendor, product);
}

std::optional<Arrival_t> UsbLink_t::waitForHandheld(const StopCheck_t& stopRequested) {
    while (*m_inSession && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    usb::WaitOptions_t wait;
    wait.stop = stopRequested;
    wait.tell = [](const std::string& words) { std::cerr << "pathlet: " << words << "\n"; };
    {
        const std::lock_guard<std::mutex> lock(*m_mutex);
        wait.skip = *m_stayed;
    }
    std::optional<usb::Connection_t> found = usb::waitForHandheld(wait);
    if (!found)
        return std::nullopt;
    auto connection = std::make_shared<usb::Connection_t>(std::move(*found));
    Arrival_t arrival;
    arrival.where = usbWhere(connection->vendor(), connection->product());
    std::unique_ptr<dlp::ByteStream_t> stream = connection->takeStream();
    if (connection->stack() == usb::Stack_t::Serial) {
        dlp::AcceptedLink_t accepted = dlp::acceptOnStream(*stream, m_options, stopRequested);
        if (!accepted.transport)
            return std::nullopt;
        arrival.netSyncHandshake = accepted.kind == dlp::LinkKind_t::NetSync;
        arrival.transport =
            std::make_unique<DeviceTransport_t>(std::move(stream), std::move(accepted.transport));
    } else {
        arrival.transport = std::make_unique<dlp::NetSyncTransport_t>(
            std::make_unique<dlp::BoundedStream_t>(std::move(stream), dlp::sessionBase(m_options.timeout)),
            m_options.timeout);
    }
    *m_inSession = true;
    arrival.cut = [connection] { connection->cut(); };
    arrival.after = [connection, inSession = m_inSession, mutex = m_mutex, stayed = m_stayed] {
        // The handheld leaves the bus when its sync ends; one that stays is not served again
        // until it has left and come back.
        if (!connection->finish()) {
            const std::lock_guard<std::mutex> lock(*mutex);
            stayed->push_back(connection->location());
        }
        *inSession = false;
    };
    return arrival;
}

} // namespace host
