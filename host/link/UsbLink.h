#ifndef HOST_LINK_USBLINK_H
#define HOST_LINK_USBLINK_H

#include "host/link/Link.h"

#include "dlp/DLP_SerialTransport.h"
#include "usb/USB_Link.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace host {

// Handhelds on their own USB port (cradle or cable): every device of the table, Net Sync framing
// on the bulk endpoints, or the serial stack for the few that speak it. A device appears when its
// HotSync button is pressed and is served once; the next is waited for when it has left.
class UsbLink_t : public Link_t {
public:
    explicit UsbLink_t(const dlp::SerialOptions_t& options) : m_options(options) {}
    std::optional<Arrival_t> waitForHandheld(const StopCheck_t& stopRequested) override;
    std::string name() const override { return "USB"; }

private:
    dlp::SerialOptions_t m_options;
    std::shared_ptr<std::atomic<bool>> m_inSession = std::make_shared<std::atomic<bool>>(false);
    // Devices served that never left the bus: not served again while they stay.
    std::shared_ptr<std::mutex> m_mutex = std::make_shared<std::mutex>();
    std::shared_ptr<std::vector<usb::Location_t>> m_stayed = std::make_shared<std::vector<usb::Location_t>>();
};

// "USB 0830:0061".
std::string usbWhere(uint16_t vendor, uint16_t product);

} // namespace host

#endif
