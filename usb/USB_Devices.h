#ifndef USB_USB_DEVICES_H
#define USB_USB_DEVICES_H

// The handhelds that HotSync over their own USB port: who they are, which packet stack they speak
// on their bulk endpoints and what each one needs that the others do not.

#include <cstdint>
#include <span>
#include <string>

namespace usb {

// What runs on the bulk endpoints: Net Sync framing (as over TCP), or SLP/PADP/CMP (as over a
// serial cable).
enum class Stack_t { NetSync, Serial };

// Behaviour a device needs beyond the common setup (bit flags).
enum Quirk_t : unsigned {
    kNoQuirk = 0,
    // Early Sony Cliés want GET_CONFIGURATION and GET_INTERFACE before anything else, and their
    // endpoints come from the descriptors.
    kEarlySony = 1u << 0,
    // Handspring's first devices describe their ports with the 6-byte connection information
    // (request 03) rather than the extended one (request 04).
    kConnectionInfo = 1u << 1,
    // Answers request 04 with nothing and reports its ports on the interrupt endpoint instead.
    kInterruptReply = 1u << 2,
    // Pairs the first bulk IN endpoint with the second bulk OUT one when it has an interrupt IN
    // endpoint (Handspring and Kyocera).
    kSplitPairWithInterrupt = 1u << 3,
    // Pairs the first bulk IN endpoint with the second bulk OUT one.
    kSplitPair = 1u << 4,
    // Some models do not answer request 04: then the first bulk pair carries HotSync.
    kFirstPairWhenSilent = 1u << 5,
    // Not a handheld: a USB serial adapter, served through the kernel's tty instead.
    kUnsupported = 1u << 6,
};

struct Device_t {
    uint16_t vendor = 0;
    uint16_t product = 0;
    const char* name = "";
    Stack_t stack = Stack_t::NetSync;
    unsigned quirks = kNoQuirk;
    bool has(Quirk_t quirk) const { return (quirks & quirk) != 0; }
};

// Every known device, in id order.
std::span<const Device_t> knownDevices();
// The table's entry, or nullptr for an id it does not know.
const Device_t* findDevice(uint16_t vendor, uint16_t product);
// The stack of a device; a device the table does not know speaks Net Sync, as every model made
// after the first ones does.
Stack_t stackOf(uint16_t vendor, uint16_t product);
// "0830:0061".
std::string idText(uint16_t vendor, uint16_t product);
// "Net Sync", "the serial stack".
const char* stackName(Stack_t stack);

} // namespace usb

#endif
