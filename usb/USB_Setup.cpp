#include "usb/USB_Setup.h"

#include "usb/USB_Replies.h"

#include <optional>

namespace usb {

namespace {

constexpr uint8_t kStandardIn = 0x80;
constexpr uint8_t kStandardInterfaceIn = 0x81;
constexpr uint8_t kGetConfiguration = 0x08;
constexpr uint8_t kGetInterface = 0x0A;
constexpr std::chrono::milliseconds kStandardTimeout{3000};
constexpr int kMostInterruptBytes = 64;

// The reply's bytes, or nothing when the device stalls, times out or fails the request.
std::optional<std::string> askIn(libusb_device_handle* handle, uint8_t requestType, uint8_t request,
                                 uint16_t length, std::chrono::milliseconds timeout) {
    std::string reply(length, '\0');
    const int got = libusb_control_transfer(handle, requestType, request, 0, 0,
                                            reinterpret_cast<unsigned char*>(reply.data()), length,
                                            static_cast<unsigned int>(timeout.count()));
    if (got < 0)
        return std::nullopt;
    reply.resize(static_cast<std::size_t>(got));
    return reply;
}

std::optional<std::string> askVendor(libusb_device_handle* handle, uint8_t request, uint16_t length) {
    return askIn(handle, kVendorIn, request, length, kRequestTimeout);
}

// The extended information from the interrupt endpoint, for devices that send it there.
std::optional<ExtConnectionInfo_t> interruptReply(libusb_device_handle* handle,
                                                  const std::vector<Endpoint_t>& endpoints, bool expected) {
    uint8_t address = expected ? 0x82 : 0;
    for (const Endpoint_t& endpoint : endpoints)
        if (endpoint.type == Transfer_t::Interrupt && endpoint.in()) {
            address = endpoint.address;
            break;
        }
    if (address == 0)
        return std::nullopt;
    std::string packet(kMostInterruptBytes, '\0');
    int got = 0;
    const int status = libusb_interrupt_transfer(
        handle, address, reinterpret_cast<unsigned char*>(packet.data()), kMostInterruptBytes, &got,
        static_cast<unsigned int>(kInterruptTimeout.count()));
    if (status != LIBUSB_SUCCESS && status != LIBUSB_ERROR_TIMEOUT)
        return std::nullopt;
    packet.resize(static_cast<std::size_t>(got));
    try {
        return parseInterruptReply(packet);
    } catch (const MalformedReply_t&) {
        return std::nullopt;
    }
}

template <class Parse_t>
auto parsed(const std::optional<std::string>& reply, Parse_t parse)
    -> std::optional<decltype(parse(std::string_view()))> {
    if (!reply || reply->empty())
        return std::nullopt;
    try {
        return parse(*reply);
    } catch (const MalformedReply_t&) {
        return std::nullopt;
    }
}

} // namespace

std::vector<Endpoint_t> interfaceEndpoints(libusb_device* device) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS &&
        libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS)
        return {};
    std::vector<Endpoint_t> endpoints;
    if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
        const libusb_interface_descriptor& setting = config->interface[0].altsetting[0];
        for (uint8_t i = 0; i < setting.bNumEndpoints; ++i) {
            const libusb_endpoint_descriptor& descriptor = setting.endpoint[i];
            Endpoint_t endpoint;
            endpoint.address = descriptor.bEndpointAddress;
            endpoint.type = static_cast<Transfer_t>(descriptor.bmAttributes & 0x03);
            endpoint.maxPacket = static_cast<uint16_t>(descriptor.wMaxPacketSize & 0x07FF);
            endpoints.push_back(endpoint);
        }
    }
    libusb_free_config_descriptor(config);
    return endpoints;
}

Setup_t setUp(OpenDevice_t& device, const std::vector<Endpoint_t>& endpoints, const Device_t& model) {
    Setup_t setup;
    libusb_device_handle* handle = device.handle();
    // The kernel's serial driver for these handhelds binds them first where it is loaded; letting
    // it go is best effort, and a claim that still fails says so below.
    if (libusb_kernel_driver_active(handle, 0) == 1)
        libusb_detach_kernel_driver(handle, 0);
    if (const int status = device.claim(); status != LIBUSB_SUCCESS) {
        setup.why = "cannot claim its interface: " + libusbWords(status);
        return setup;
    }
    Clues_t clues;
    clues.quirks = model.quirks;
    if (model.has(kEarlySony)) {
        // What these devices wait for before they talk; the answers mean nothing here.
        askIn(handle, kStandardIn, kGetConfiguration, 1, kStandardTimeout);
        askIn(handle, kStandardInterfaceIn, kGetInterface, 1, kStandardTimeout);
    } else {
        if (!model.has(kConnectionInfo)) {
            clues.extended = parsed(askVendor(handle, kRequestExtConnectionInfo, kExtConnectionInfoLength),
                                    parseExtConnectionInfo);
            if (!clues.extended)
                clues.extended = interruptReply(handle, endpoints, model.has(kInterruptReply));
            if (clues.extended && findSyncPort(*clues.extended).state == SyncState_t::NotSyncing) {
                setup.readiness = Readiness_t::NotSyncing;
                return setup;
            }
        }
        if (!clues.extended || findSyncPort(*clues.extended).state != SyncState_t::Ready) {
            const auto ports =
                parsed(askVendor(handle, kRequestConnectionInfo, kConnectionInfoLength), parseConnectionInfo);
            if (ports)
                clues.hotSyncEndpoint = hotSyncEndpoint(*ports);
            // Devices that describe themselves this way expect this request next; its answer
            // means nothing known.
            askVendor(handle, kRequestBytesAvailable, kBytesAvailableLength);
        }
    }
    if (const auto pipes = chooseEndpoints(endpoints, clues)) {
        setup.readiness = Readiness_t::Ready;
        setup.pipes = *pipes;
    } else {
        setup.readiness = Readiness_t::NoEndpoints;
        setup.why = "its interface has no bulk IN and OUT endpoints";
    }
    return setup;
}

} // namespace usb
