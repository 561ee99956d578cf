#ifndef USB_USB_REPLIES_H
#define USB_USB_REPLIES_H

// The vendor control requests a handheld answers on its default pipe, and their replies. Every
// reply is untrusted: it is read with the bounded reader, and a reply that is cut short is
// MalformedReply_t, never a read past what arrived. Unlike everything else of the handheld, the
// replies' 16- and 32-bit fields are little-endian.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace usb {

struct MalformedReply_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Device-to-host, vendor, recipient endpoint.
constexpr uint8_t kVendorIn = 0xC2;
constexpr uint8_t kRequestBytesAvailable = 0x01;
constexpr uint8_t kRequestCloseNotification = 0x02;
constexpr uint8_t kRequestConnectionInfo = 0x03;
constexpr uint8_t kRequestExtConnectionInfo = 0x04;
constexpr uint16_t kBytesAvailableLength = 2;
constexpr uint16_t kConnectionInfoLength = 6;
constexpr uint16_t kExtConnectionInfoLength = 20;

// Creator codes as the extended reply names its ports' owners.
constexpr uint32_t creatorCode(const char (&text)[5]) {
    return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
           (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
}
constexpr uint32_t kSyncCreator = creatorCode("sync");
constexpr uint32_t kPppCreator = creatorCode("ppp_");
// The device is on USB for its remote file system, not for HotSync (yet).
constexpr uint32_t kRemoteFsCreator = creatorCode("rfsL");

// The function of a port in the 6-byte connection information.
constexpr uint8_t kHotSyncFunction = 0x02;

// One port of the extended connection information (request 04).
struct ExtPort_t {
    uint32_t creator = 0;   // the application that opened the port ('sync')
    uint8_t port = 0;       // the endpoint number of both directions; 0 when they differ
    uint8_t inEndpoint = 0; // endpoint numbers (without the direction bit); 0 when `port` holds both
    uint8_t outEndpoint = 0;
};

struct ExtConnectionInfo_t {
    bool endpointsDiffer = false;
    std::vector<ExtPort_t> ports;
};

// One port of the connection information (request 03).
struct Port_t {
    uint8_t function = 0; // kHotSyncFunction for HotSync
    uint8_t endpoint = 0; // the endpoint number of both directions
};

// What the extended information says about HotSync.
enum class SyncState_t {
    Ready,      // a port for HotSync: use it
    NotSyncing, // the device is there for something else and has not started HotSync
    NoSyncPort, // nothing usable: try the other ways
};

struct SyncPort_t {
    SyncState_t state = SyncState_t::NoSyncPort;
    ExtPort_t port;
};

// Request 04's 20 bytes. A count of ports above 2 is a device that does not implement the request
// and returns junk: both entries are kept, for the caller to find nothing in.
// @exception MalformedReply_t for fewer than 20 bytes.
ExtConnectionInfo_t parseExtConnectionInfo(std::string_view reply);
// The HotSync port of an extended reply ('sync', or 'ppp_' as some devices name it).
SyncPort_t findSyncPort(const ExtConnectionInfo_t& info);

// Request 03's 6 bytes. A count of 0 or above 2 is taken as 2.
// @exception MalformedReply_t for fewer than 6 bytes.
std::vector<Port_t> parseConnectionInfo(std::string_view reply);
// The endpoint of the HotSync port, if the reply has one.
std::optional<uint8_t> hotSyncEndpoint(const std::vector<Port_t>& ports);

// Request 01's 2 bytes, which no device is known to mean anything by; kept for the log.
// @exception MalformedReply_t for fewer than 2 bytes.
uint16_t parseBytesAvailable(std::string_view reply);

// What a device that does not answer request 04 sends on its interrupt endpoint instead: "VNDR10"
// and the 20 bytes of the extended reply.
constexpr std::string_view kInterruptPrefix = "VNDR10";
constexpr std::size_t kInterruptReplyLength = kInterruptPrefix.size() + kExtConnectionInfoLength;
// @exception MalformedReply_t for a packet that is not that.
ExtConnectionInfo_t parseInterruptReply(std::string_view packet);

} // namespace usb

#endif
