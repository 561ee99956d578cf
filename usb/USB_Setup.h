#ifndef USB_USB_SETUP_H
#define USB_USB_SETUP_H

// Getting an opened handheld ready for HotSync: the kernel's serial driver let go, interface 0
// claimed, the vendor requests that say which endpoints carry HotSync asked in the order devices
// answer them, and the endpoints chosen.

#include "usb/USB_Devices.h"
#include "usb/USB_Endpoints.h"
#include "usb/USB_OpenDevice.h"

#include <libusb.h>

#include <chrono>
#include <string>
#include <vector>

namespace usb {

enum class Readiness_t {
    Ready,       // `pipes` carry HotSync
    NotSyncing,  // on the bus for something else: ask again later
    NoEndpoints, // nothing to carry HotSync on
    Failed,      // the interface could not be claimed; `why` says why
};

struct Setup_t {
    Readiness_t readiness = Readiness_t::Failed;
    Pipes_t pipes;
    std::string why;
};

// How long one control request may take: a device that never answers one costs this much.
constexpr std::chrono::milliseconds kRequestTimeout{1000};
// How long the interrupt endpoint is read for the reply of a device that gives none to request 04.
constexpr std::chrono::milliseconds kInterruptTimeout{300};

// The endpoints of interface 0 (alternate setting 0) of the active configuration.
std::vector<Endpoint_t> interfaceEndpoints(libusb_device* device);

// `model` is the table's entry of the device (never nullptr).
Setup_t setUp(OpenDevice_t& device, const std::vector<Endpoint_t>& endpoints, const Device_t& model);

} // namespace usb

#endif
