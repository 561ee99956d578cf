#include "usb/USB_Link.h"

#include "usb/USB_BulkStream.h"
#include "usb/USB_OpenDevice.h"
#include "usb/USB_Setup.h"

#include <cstdio>
#include <map>
#include <thread>

namespace usb {

namespace {

using Clock_t = std::chrono::steady_clock;

std::string hex(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

std::string nodePath(Location_t location) {
    char text[40];
    std::snprintf(text, sizeof text, "/dev/bus/usb/%03u/%03u", location.bus, location.address);
    return text;
}

Location_t locationOf(libusb_device* device) {
    return {libusb_get_bus_number(device), libusb_get_device_address(device)};
}

// The devices on the bus, freed with the object.
class DeviceList_t {
public:
    explicit DeviceList_t(libusb_context* context) {
        const ssize_t count = libusb_get_device_list(context, &m_list);
        m_count = count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    DeviceList_t(const DeviceList_t&) = delete;
    DeviceList_t& operator=(const DeviceList_t&) = delete;
    ~DeviceList_t() {
        if (m_list)
            libusb_free_device_list(m_list, 1);
    }
    libusb_device** begin() const { return m_list; }
    libusb_device** end() const { return m_list + m_count; }

private:
    libusb_device** m_list = nullptr;
    std::size_t m_count = 0;
};

// What was said about each device there, so that it is said once while the device stays.
class Told_t {
public:
    void tell(const WaitOptions_t& options, Location_t location, const std::string& words) {
        std::string& said = m_said[key(location)];
        if (said == words)
            return;
        said = words;
        if (options.tell)
            options.tell(words);
    }
    // Forgets the devices that left.
    template <class Present_t> void keepOnly(const Present_t& present) {
        for (auto it = m_said.begin(); it != m_said.end();)
            it = present.count(it->first) ? std::next(it) : m_said.erase(it);
    }
    static unsigned key(Location_t location) { return location.bus * 256u + location.address; }

private:
    std::map<unsigned, std::string> m_said;
};

bool skipped(const WaitOptions_t& options, Location_t location) {
    for (const Location_t& skip : options.skip)
        if (skip == location)
            return true;
    return false;
}

} // namespace

std::string cannotOpenWords(const std::string& label, Location_t location, int libusbStatus) {
    std::string words =
        label + " is there but cannot be opened (" + nodePath(location) + "): " + libusbWords(libusbStatus);
    if (libusbStatus == LIBUSB_ERROR_ACCESS)
        words += "; install pathlet's udev rule for handhelds (it lets the logged-in user use them), "
                 "then unplug the handheld or press HotSync again";
    return words;
}

Connection_t::Connection_t(Connection_t&&) noexcept = default;
Connection_t& Connection_t::operator=(Connection_t&&) noexcept = default;

Connection_t::~Connection_t() {
    if (m_device)
        m_device->close();
}

std::unique_ptr<dlp::ByteStream_t> Connection_t::takeStream() {
    return std::move(m_stream);
}

void Connection_t::cut() {
    if (m_device)
        m_device->cut();
}

bool Connection_t::finish(std::chrono::milliseconds within, const std::function<bool()>& stop,
                          std::chrono::milliseconds poll) {
    if (!m_device)
        return true;
    m_device->close();
    const auto deadline = Clock_t::now() + within;
    for (;;) {
        bool present = false;
        for (libusb_device* device : DeviceList_t(m_context->get())) {
            libusb_device_descriptor descriptor{};
            if (locationOf(device) == m_location && libusb_get_device_descriptor(device, &descriptor) == 0 &&
                descriptor.idVendor == m_vendor && descriptor.idProduct == m_product)
                present = true;
        }
        if (!present)
            return true;
        if (Clock_t::now() >= deadline || (stop && stop()))
            return false;
        std::this_thread::sleep_for(poll);
    }
}

std::optional<Connection_t> waitForHandheld(const WaitOptions_t& options) {
    auto context = std::make_shared<Context_t>();
    const auto deadline = Clock_t::now() + options.within;
    Told_t told;
    for (;;) {
        if (options.stop && options.stop())
            return std::nullopt;
        std::map<unsigned, bool> present;
        for (libusb_device* device : DeviceList_t(context->get())) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS)
                continue;
            const Device_t* model = findDevice(descriptor.idVendor, descriptor.idProduct);
            const Location_t location = locationOf(device);
            if (!model || skipped(options, location))
                continue;
            present[Told_t::key(location)] = true;
            const std::string label = "USB " + idText(model->vendor, model->product);
            if (model->has(kUnsupported)) {
                told.tell(options, location,
                          label + " (" + model->name +
                              ") is a USB serial adapter: HotSync through the tty the kernel makes for it");
                continue;
            }
            libusb_device_handle* handle = nullptr;
            if (const int status = libusb_open(device, &handle); status != LIBUSB_SUCCESS) {
                told.tell(options, location, cannotOpenWords(label, location, status));
                continue;
            }
            auto opened = std::make_shared<OpenDevice_t>(context, handle, label);
            const std::vector<Endpoint_t> endpoints = interfaceEndpoints(device);
            const Setup_t setup = setUp(*opened, endpoints, *model);
            if (setup.readiness == Readiness_t::NotSyncing) {
                told.tell(options, location, label + " is connected but not in HotSync mode yet");
                continue; // closed with `opened`; asked again at the next look
            }
            if (setup.readiness != Readiness_t::Ready) {
                told.tell(options, location, label + " cannot be served: " + setup.why);
                continue;
            }
            Connection_t connection;
            connection.m_context = context;
            connection.m_device = opened;
            connection.m_stream = std::make_unique<BulkStream_t>(opened, setup.pipes);
            connection.m_vendor = model->vendor;
            connection.m_product = model->product;
            connection.m_name = model->name;
            connection.m_stack = model->stack;
            connection.m_location = location;
            connection.m_how = "HotSync on endpoints " + hex(setup.pipes.in.address) + " and " +
                               hex(setup.pipes.out.address) + " (" + sourceText(setup.pipes.source) + ")";
            return connection;
        }
        told.keepOnly(present);
        if (options.within.count() > 0 && Clock_t::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(options.poll);
    }
}

} // namespace usb
