#ifndef USB_USB_OPENDEVICE_H
#define USB_USB_OPENDEVICE_H

// A device opened through libusb, shared by the stream on its bulk endpoints and the connection
// that releases it: whichever is done last lets go of the library.

#include <libusb.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace usb {

// One libusb context, closed with the last device opened in it.
class Context_t {
public:
    // @exception dlp::LinkError_t when the library cannot start (no USB support at all).
    Context_t();
    Context_t(const Context_t&) = delete;
    Context_t& operator=(const Context_t&) = delete;
    ~Context_t();
    libusb_context* get() const { return m_context; }

private:
    libusb_context* m_context = nullptr;
};

class OpenDevice_t {
public:
    OpenDevice_t(std::shared_ptr<Context_t> context, libusb_device_handle* handle, std::string label)
        : m_context(std::move(context)), m_handle(handle), m_label(std::move(label)) {}
    OpenDevice_t(const OpenDevice_t&) = delete;
    OpenDevice_t& operator=(const OpenDevice_t&) = delete;
    ~OpenDevice_t() { close(); }

    // The handle, or nullptr once closed. A user in another thread than the one that closes holds
    // lock() while it uses the handle, so that the device is not closed under a transfer.
    libusb_device_handle* handle() const { return m_handle; }
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(m_mutex); }
    const std::string& label() const { return m_label; }
    // Claims interface 0 (and remembers to release it).
    int claim();
    // Releases the interface, if claimed, and closes the device; nothing once done.
    void close();

    // One bulk or interrupt transfer on `endpoint` of `length` bytes at `data`, waiting at most
    // `timeout` ms: a libusb status (LIBUSB_ERROR_INTERRUPTED once cut), with the bytes moved in
    // `moved` whatever the status. The caller holds lock().
    int transfer(uint8_t endpoint, uint8_t type, unsigned char* data, int length, unsigned int timeout,
                 int& moved);
    // Ends the transfer under way and every later one at once; any thread.
    void cut() { m_cut = true; }
    bool wasCut() const { return m_cut; }

private:
    std::shared_ptr<Context_t> m_context;
    libusb_device_handle* m_handle = nullptr;
    std::string m_label; // "USB 0830:0061"
    bool m_claimed = false;
    std::atomic<bool> m_cut = false;
    std::mutex m_mutex;
};

// libusb's error as words ("the device is gone", "no permission").
std::string libusbWords(int code);

} // namespace usb

#endif
