#ifndef USB_USB_LINK_H
#define USB_USB_LINK_H

// Handhelds that HotSync over their own USB port. Most of them appear on the bus only once their
// HotSync button is pressed and leave it when the sync ends, so the desktop waits for one to
// appear, serves it, and waits for it to leave before it serves the next.

#include "dlp/DLP_ByteStream.h"
#include "usb/USB_Devices.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace usb {

class OpenDevice_t;
class Context_t;

// Where a device sits: a device that leaves and comes back gets a new address.
struct Location_t {
    uint8_t bus = 0;
    uint8_t address = 0;
    friend bool operator==(const Location_t&, const Location_t&) = default;
};

struct WaitOptions_t {
    // How often the bus is looked at.
    std::chrono::milliseconds poll{200};
    // How long to wait in all; zero waits until `stop` says so.
    std::chrono::milliseconds within{0};
    // Asked at every look; true ends the wait (Ctrl-C).
    std::function<bool()> stop;
    // Words about a handheld that is there but cannot be served (no permission, not in HotSync
    // mode, a serial adapter): each is said once per appearance of the device.
    std::function<void(const std::string&)> tell;
    // Devices not to serve while they stay where they are: the one a HotSync runs with, and one
    // served before that never left the bus.
    std::vector<Location_t> skip;
};

// A handheld ready for HotSync.
class Connection_t {
public:
    Connection_t(Connection_t&&) noexcept;
    Connection_t& operator=(Connection_t&&) noexcept;
    ~Connection_t();

    uint16_t vendor() const { return m_vendor; }
    uint16_t product() const { return m_product; }
    const std::string& name() const { return m_name; } // the table's name of the model
    Stack_t stack() const { return m_stack; }
    Location_t location() const { return m_location; }
    // "HotSync on endpoints 0x86 and 0x07 (the IN and OUT endpoints of the extended connection
    // information)", for the log.
    const std::string& how() const { return m_how; }

    // The bytes of the HotSync; the host moves it into its transport. It stays usable until
    // finish(), after which it raises dlp::LinkError_t.
    std::unique_ptr<dlp::ByteStream_t> takeStream();

    // Ends the HotSync's transfers at once (Ctrl-C): the one under way and every later one raise
    // dlp::LinkError_t within a tenth of a second. Any thread.
    void cut();

    // Releases the interface, closes the device and waits (looking every `poll`) for it to leave
    // the bus, at most `within`, or until `stop` says so. True when it left. Called after the
    // stream's last use (any thread); the destructor does the same without waiting.
    bool finish(std::chrono::milliseconds within = std::chrono::seconds(10),
                const std::function<bool()>& stop = {},
                std::chrono::milliseconds poll = std::chrono::milliseconds(200));

private:
    friend std::optional<Connection_t> waitForHandheld(const WaitOptions_t& options);
    Connection_t() = default;

    std::shared_ptr<Context_t> m_context;
    std::shared_ptr<OpenDevice_t> m_device;
    std::unique_ptr<dlp::ByteStream_t> m_stream;
    uint16_t m_vendor = 0;
    uint16_t m_product = 0;
    std::string m_name;
    Stack_t m_stack = Stack_t::NetSync;
    Location_t m_location;
    std::string m_how;
};

// Waits for a handheld of the device table to appear and gets it ready: the first one that can
// be served, or nothing when the time ran out or `stop` said so.
// @exception dlp::LinkError_t when USB cannot be used at all on this system.
std::optional<Connection_t> waitForHandheld(const WaitOptions_t& options);

// The words for a device that cannot be opened: for want of permission they name the udev rule.
std::string cannotOpenWords(const std::string& label, Location_t location, int libusbStatus);

} // namespace usb

#endif
