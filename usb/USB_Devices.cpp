#include "usb/USB_Devices.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace usb {

namespace {

constexpr Stack_t kNet = Stack_t::NetSync;
constexpr Stack_t kSerial = Stack_t::Serial;
constexpr unsigned kHandspring = kSplitPairWithInterrupt;

// Sorted by vendor, then product (findDevice searches it by halves).
constexpr std::array kDevices{
    Device_t{0x04E8, 0x6601, "Samsung SPH-i500", kNet, kNoQuirk},
    Device_t{0x04E8, 0x8001, "Samsung i330", kNet, kNoQuirk},
    Device_t{0x054C, 0x000A, "Sony Clie NR", kNet, kNoQuirk},
    Device_t{0x054C, 0x0038, "Sony Clie S300/S320", kSerial, kEarlySony},
    Device_t{0x054C, 0x0066, "Sony Clie T/SJ", kNet, kNoQuirk},
    Device_t{0x054C, 0x0095, "Sony Clie S360", kNet, kNoQuirk},
    Device_t{0x054C, 0x009A, "Sony Clie NR70V/U", kNet, kEarlySony},
    Device_t{0x054C, 0x00DA, "Sony Clie NX", kNet, kNoQuirk},
    Device_t{0x054C, 0x00E9, "Sony Clie NZ", kNet, kNoQuirk},
    Device_t{0x054C, 0x0144, "Sony Clie UX", kNet, kSplitPair},
    Device_t{0x054C, 0x0169, "Sony Clie TJ", kNet, kNoQuirk},
    Device_t{0x081E, 0xDF00, "AlphaSmart Dana", kNet, kNoQuirk},
    Device_t{0x082D, 0x0100, "Handspring Visor, Treo 300", kSerial, kConnectionInfo | kHandspring},
    Device_t{0x082D, 0x0200, "Handspring Treo", kNet, kInterruptReply | kHandspring},
    Device_t{0x082D, 0x0300, "Handspring Treo 600", kNet, kHandspring},
    Device_t{0x0830, 0x0001, "Palm m500", kNet, kNoQuirk},
    Device_t{0x0830, 0x0002, "Palm m505", kNet, kNoQuirk},
    Device_t{0x0830, 0x0003, "Palm m515", kNet, kNoQuirk},
    Device_t{0x0830, 0x0010, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0011, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0020, "Palm i705", kNet, kNoQuirk},
    Device_t{0x0830, 0x0030, "Palm Tungsten", kNet, kNoQuirk},
    Device_t{0x0830, 0x0031, "Palm Tungsten", kNet, kNoQuirk},
    Device_t{0x0830, 0x0040, "Palm m125", kNet, kNoQuirk},
    Device_t{0x0830, 0x0050, "Palm m130", kNet, kNoQuirk},
    Device_t{0x0830, 0x0051, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0052, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0053, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0060, "Palm Tungsten, Zire 71", kNet, kNoQuirk},
    Device_t{0x0830, 0x0061, "Palm Zire 31/72, Z22, T|5, T|X, LifeDrive, Treo 650, E2", kNet,
             kFirstPairWhenSilent},
    Device_t{0x0830, 0x0062, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0063, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0070, "Palm Zire", kNet, kNoQuirk},
    Device_t{0x0830, 0x0071, "Palm handheld", kNet, kNoQuirk},
    // Named "m100" in some lists and a PalmConnect USB serial adapter in another; the m100 syncs
    // through a serial cradle, so this is taken to be the adapter, which the kernel serves as a tty.
    Device_t{0x0830, 0x0080, "PalmConnect USB serial adapter", kNet, kUnsupported},
    Device_t{0x0830, 0x0099, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x0830, 0x0100, "Palm handheld", kNet, kNoQuirk},
    Device_t{0x091E, 0x0004, "Garmin iQue 3600", kNet, kNoQuirk},
    Device_t{0x0C88, 0x0021, "Kyocera 7135", kNet, kHandspring},
    Device_t{0x0C88, 0xA226, "Kyocera 6035", kNet, kHandspring},
    Device_t{0x0E67, 0x0002, "Fossil wrist PDA", kNet, kNoQuirk},
    Device_t{0x115E, 0xF100, "GSPDA Xplore M68", kNet, kNoQuirk},
    Device_t{0x12EF, 0x0100, "Tapwave Zodiac", kNet, kNoQuirk},
    Device_t{0x4766, 0x0001, "Aceeca MEZ1000", kNet, kNoQuirk},
};

constexpr bool sorted() {
    for (std::size_t i = 1; i < kDevices.size(); ++i)
        if (kDevices[i - 1].vendor > kDevices[i].vendor ||
            (kDevices[i - 1].vendor == kDevices[i].vendor && kDevices[i - 1].product >= kDevices[i].product))
            return false;
    return true;
}
static_assert(sorted(), "the device table must stay in id order");

} // namespace

std::span<const Device_t> knownDevices() {
    return kDevices;
}

const Device_t* findDevice(uint16_t vendor, uint16_t product) {
    const auto* found = std::lower_bound(
        kDevices.begin(), kDevices.end(), std::pair{vendor, product}, [](const Device_t& device, auto id) {
            return device.vendor < id.first || (device.vendor == id.first && device.product < id.second);
        });
    if (found == kDevices.end() || found->vendor != vendor || found->product != product)
        return nullptr;
    return &*found;
}

Stack_t stackOf(uint16_t vendor, uint16_t product) {
    const Device_t* device = findDevice(vendor, product);
    return device ? device->stack : Stack_t::NetSync;
}

std::string idText(uint16_t vendor, uint16_t product) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
    return text;
}

const char* stackName(Stack_t stack) {
    return stack == Stack_t::Serial ? "the serial stack" : "Net Sync";
}

} // namespace usb
