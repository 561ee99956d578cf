#include "usb/USB_BulkStream.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>

namespace usb {

namespace {

using Clock_t = std::chrono::steady_clock;

// How long a transfer of several packets waits before it hands over what it holds.
constexpr unsigned int kPartialWait = 200;

unsigned int millisecondsLeft(Clock_t::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock_t::now()).count();
    return static_cast<unsigned int>(std::clamp<long long>(left, 1, INT_MAX));
}

[[noreturn]] void fail(const std::string& label, const std::string& what, int status) {
    if (status == LIBUSB_ERROR_NO_DEVICE)
        throw dlp::LinkError_t(label + " left the bus during the HotSync (unplugged, or the handheld "
                                       "ended the connection)");
    if (status == LIBUSB_ERROR_INTERRUPTED)
        throw dlp::LinkError_t(label + ": the HotSync was cut short");
    throw dlp::LinkError_t(label + ": " + what + ": " + libusbWords(status));
}

} // namespace

std::size_t inTransferSize(std::size_t wanted, std::size_t packet) {
    packet = std::max<std::size_t>(packet, 1);
    const std::size_t most = std::max(packet, kMostPerTransfer / packet * packet);
    const std::size_t packets = wanted / packet + (wanted % packet != 0);
    return std::clamp(packets * packet, packet, most);
}

void BulkStream_t::write(std::string_view bytes, dlp::Timeout_t timeout) {
    const std::string& label = m_device->label();
    if (bytes.size() > INT_MAX)
        throw dlp::LinkError_t(label + ": " + std::to_string(bytes.size()) +
                               " bytes are too many for one transfer");
    const auto lock = m_device->lock();
    libusb_device_handle* handle = m_device->handle();
    if (!handle)
        throw dlp::LinkError_t(label + " is closed");
    // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    int sent = 0;
    const int status = m_device->transfer(
        m_pipes.out.address, LIBUSB_TRANSFER_TYPE_BULK, data, static_cast<int>(bytes.size()),
        static_cast<unsigned int>(std::clamp<long long>(timeout.count(), 1, INT_MAX)), sent);
    if (status == LIBUSB_SUCCESS && static_cast<std::size_t>(sent) == bytes.size())
        return;
    if (status == LIBUSB_ERROR_PIPE)
        libusb_clear_halt(handle, m_pipes.out.address);
    if (status == LIBUSB_ERROR_TIMEOUT || status == LIBUSB_SUCCESS)
        throw dlp::LinkError_t(label + " took " + std::to_string(sent) + " of " +
                               std::to_string(bytes.size()) + " bytes in " + dlp::secondsText(timeout));
    fail(label, "sending " + std::to_string(bytes.size()) + " bytes", status);
}

std::size_t BulkStream_t::readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) {
    if (capacity == 0)
        return 0;
    if (m_keptAt < m_kept.size()) {
        const std::size_t count = std::min(capacity, m_kept.size() - m_keptAt);
        std::memcpy(data, m_kept.data() + m_keptAt, count);
        m_keptAt += count;
        return count;
    }
    const std::string& label = m_device->label();
    const auto deadline = Clock_t::now() + timeout;
    const std::size_t size = inTransferSize(capacity, m_pipes.in.maxPacket);
    m_kept.resize(size);
    m_keptAt = 0;
    bool stalled = false;
    for (;;) {
        int got = 0;
        int status;
        {
            const auto lock = m_device->lock();
            libusb_device_handle* handle = m_device->handle();
            if (!handle)
                throw dlp::LinkError_t(label + " is closed");
            // A transfer of more than one packet ends early only on a short packet. A message that
            // ends on a packet boundary has none after it, so such a transfer is given a short
            // while and then what it holds is taken (and an empty one asked again).
            const unsigned int wait = size > m_pipes.in.maxPacket
                                          ? std::min(millisecondsLeft(deadline), kPartialWait)
                                          : millisecondsLeft(deadline);
            status = m_device->transfer(m_pipes.in.address, LIBUSB_TRANSFER_TYPE_BULK,
                                        reinterpret_cast<unsigned char*>(m_kept.data()),
                                        static_cast<int>(size), wait, got);
            // A stalled IN endpoint is cleared and read once more, as the device may have reset it
            // after a transient error; a second stall is the device refusing.
            if (status == LIBUSB_ERROR_PIPE && !stalled) {
                libusb_clear_halt(handle, m_pipes.in.address);
                stalled = true;
                continue;
            }
        }
        m_kept.resize(static_cast<std::size_t>(std::max(got, 0)));
        if (got > 0 && (status == LIBUSB_SUCCESS || status == LIBUSB_ERROR_TIMEOUT))
            return readSome(data, capacity, timeout);
        if ((status == LIBUSB_SUCCESS || status == LIBUSB_ERROR_TIMEOUT) && Clock_t::now() < deadline) {
            m_kept.resize(size); // a zero-length packet, or nothing yet: not the end
            continue;
        }
        if (status == LIBUSB_SUCCESS || status == LIBUSB_ERROR_TIMEOUT)
            throw dlp::LinkError_t(label + " said nothing for " + dlp::secondsText(timeout));
        fail(label, "reading", status);
    }
}

} // namespace usb
