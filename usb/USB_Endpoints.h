#ifndef USB_USB_ENDPOINTS_H
#define USB_USB_ENDPOINTS_H

// Which bulk endpoints of interface 0 carry HotSync. Devices say it in their replies, in several
// ways and sometimes wrongly; the choice tries what each says in turn and checks it against the
// endpoints the interface really has.

#include "usb/USB_Replies.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace usb {

enum class Transfer_t { Control, Isochronous, Bulk, Interrupt };

// One endpoint of the interface, as its descriptor says.
struct Endpoint_t {
    uint8_t address = 0; // the number, with 0x80 for IN
    Transfer_t type = Transfer_t::Bulk;
    uint16_t maxPacket = 64;
    bool in() const { return (address & 0x80) != 0; }
    uint8_t number() const { return static_cast<uint8_t>(address & 0x0F); }
};

// What the device told about itself, and what the table knows of it.
struct Clues_t {
    std::optional<ExtConnectionInfo_t> extended; // request 04, or the interrupt endpoint
    std::optional<uint8_t> hotSyncEndpoint;      // request 03
    unsigned quirks = 0;                         // of the device table
};

// How the pair was found, for the log.
enum class Source_t {
    ExtendedEndpoints, // the IN and OUT numbers of request 04
    ExtendedPort,      // request 04's port, as the number of both endpoints
    ExtendedPairIndex, // request 04's port, as the number of a pair counted from 1
    ConnectionInfo,    // request 03's HotSync port
    SplitPair,         // the first bulk IN with the second bulk OUT
    FirstPair,         // the first bulk IN and OUT of a full- or high-speed packet size
    AnyBulk,           // the first bulk IN and OUT of any size
};

struct Pipes_t {
    Endpoint_t in;
    Endpoint_t out;
    Source_t source = Source_t::FirstPair;
};

// The bulk pair to use, or nothing when the interface has no bulk IN and OUT endpoint at all.
std::optional<Pipes_t> chooseEndpoints(const std::vector<Endpoint_t>& endpoints, const Clues_t& clues);

// "the IN and OUT endpoints of the extended connection information", for the log.
const char* sourceText(Source_t source);

} // namespace usb

#endif
