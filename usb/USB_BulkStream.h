#ifndef USB_USB_BULKSTREAM_H
#define USB_USB_BULKSTREAM_H

// The bytes of a HotSync on a handheld's two bulk endpoints.
//
// A write is exactly one OUT transfer of the bytes given, never padded or merged: devices stall
// when a transfer carries anything but a whole frame or a frame's header or body. A read is one IN
// transfer of whole packets, sized to what the caller wants: a transfer completes when it is full
// or on a short packet, and devices send no zero-length packet after a message whose size is a
// multiple of the packet size, so a transfer of several packets is ended after a short while and
// what it holds is taken. Bytes beyond what the caller wanted are kept for the next read. A reader
// that knows how much it wants (a frame's header, then its body) is served at once by asking for
// exactly that.

#include "dlp/DLP_ByteStream.h"
#include "usb/USB_Endpoints.h"
#include "usb/USB_OpenDevice.h"

#include <memory>
#include <string>

namespace usb {

// The most one IN transfer asks for.
constexpr std::size_t kMostPerTransfer = 4096;

class BulkStream_t : public dlp::ByteStream_t {
public:
    BulkStream_t(std::shared_ptr<OpenDevice_t> device, const Pipes_t& pipes)
        : m_device(std::move(device)), m_pipes(pipes) {}
    void write(std::string_view bytes, dlp::Timeout_t timeout) override;
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) override;
    std::string describe() const override { return m_device->label(); }
    const Pipes_t& pipes() const { return m_pipes; }

private:
    std::shared_ptr<OpenDevice_t> m_device;
    Pipes_t m_pipes;
    std::string m_kept; // read from the device, not yet wanted
    std::size_t m_keptAt = 0;
};

// The size of the IN transfer for a read of `wanted` bytes: whole packets, at most
// kMostPerTransfer (rounded down to whole packets), at least one packet.
std::size_t inTransferSize(std::size_t wanted, std::size_t packet);

} // namespace usb

#endif
