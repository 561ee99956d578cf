#include "usb/USB_Replies.h"

#include "bin/BIN_Bytes.h"

namespace usb {

namespace {

using Reader_t = bin::BasicByteReader_t<MalformedReply_t>;

constexpr unsigned kMostPorts = 2;

Reader_t readerOf(std::string_view reply, const char* what) {
    return Reader_t(reply, what, bin::ByteOrder_t::Little);
}

} // namespace

ExtConnectionInfo_t parseExtConnectionInfo(std::string_view reply) {
    Reader_t in = readerOf(reply, "the extended connection information");
    ExtConnectionInfo_t info;
    unsigned count = in.u8();
    info.endpointsDiffer = in.u8() != 0;
    in.skip(2);
    if (count > kMostPorts)
        count = kMostPorts;
    // Both entries are read, so that a reply too short for its layout is refused whatever it counts.
    for (unsigned i = 0; i < kMostPorts; ++i) {
        ExtPort_t port;
        port.creator = in.u32();
        port.port = in.u8();
        const uint8_t endpoints = in.u8();
        port.inEndpoint = static_cast<uint8_t>(endpoints >> 4);
        port.outEndpoint = static_cast<uint8_t>(endpoints & 0x0F);
        in.skip(2);
        if (i < count)
            info.ports.push_back(port);
    }
    return info;
}

SyncPort_t findSyncPort(const ExtConnectionInfo_t& info) {
    SyncPort_t found;
    for (const ExtPort_t& port : info.ports) {
        if (port.creator == kSyncCreator || port.creator == kPppCreator) {
            found.state = SyncState_t::Ready;
            found.port = port;
            return found;
        }
        if (port.creator == kRemoteFsCreator)
            found.state = SyncState_t::NotSyncing;
    }
    return found;
}

std::vector<Port_t> parseConnectionInfo(std::string_view reply) {
    Reader_t in = readerOf(reply, "the connection information");
    unsigned count = in.u16();
    if (count == 0 || count > kMostPorts)
        count = kMostPorts;
    std::vector<Port_t> ports;
    for (unsigned i = 0; i < kMostPorts; ++i) {
        Port_t port;
        port.function = in.u8();
        port.endpoint = in.u8();
        if (i < count)
            ports.push_back(port);
    }
    return ports;
}

std::optional<uint8_t> hotSyncEndpoint(const std::vector<Port_t>& ports) {
    for (const Port_t& port : ports)
        if (port.function == kHotSyncFunction && port.endpoint != 0)
            return port.endpoint;
    return std::nullopt;
}

uint16_t parseBytesAvailable(std::string_view reply) {
    // The one field that is read big-endian by the desktops that read it at all.
    bin::BasicByteReader_t<MalformedReply_t> in(reply, "the bytes-available reply", bin::ByteOrder_t::Big);
    return in.u16();
}

ExtConnectionInfo_t parseInterruptReply(std::string_view packet) {
    Reader_t in = readerOf(packet, "the interrupt endpoint's connection information");
    if (in.bytes(kInterruptPrefix.size()) != kInterruptPrefix)
        throw MalformedReply_t("the interrupt endpoint sent a packet that does not start with " +
                               std::string(kInterruptPrefix));
    return parseExtConnectionInfo(in.bytes(kExtConnectionInfoLength));
}

} // namespace usb
