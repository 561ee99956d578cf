#include "usb/USB_Endpoints.h"

#include "usb/USB_Devices.h"

namespace usb {

namespace {

const Endpoint_t* bulk(const std::vector<Endpoint_t>& endpoints, uint8_t address) {
    for (const Endpoint_t& endpoint : endpoints)
        if (endpoint.address == address && endpoint.type == Transfer_t::Bulk)
            return &endpoint;
    return nullptr;
}

std::optional<Pipes_t> pairOf(const std::vector<Endpoint_t>& endpoints, uint8_t inNumber, uint8_t outNumber,
                              Source_t source) {
    if (inNumber == 0 || outNumber == 0 || inNumber > 0x0F || outNumber > 0x0F)
        return std::nullopt;
    const Endpoint_t* in = bulk(endpoints, static_cast<uint8_t>(0x80 | inNumber));
    const Endpoint_t* out = bulk(endpoints, outNumber);
    if (!in || !out)
        return std::nullopt;
    return Pipes_t{*in, *out, source};
}

bool usualSize(const Endpoint_t& endpoint) {
    return endpoint.maxPacket == 64 || endpoint.maxPacket == 512;
}

// The `index`-th (from 0) bulk endpoint of a direction; only usual packet sizes when `usual`.
const Endpoint_t* nthBulk(const std::vector<Endpoint_t>& endpoints, bool in, std::size_t index, bool usual) {
    for (const Endpoint_t& endpoint : endpoints) {
        if (endpoint.type != Transfer_t::Bulk || endpoint.in() != in || (usual && !usualSize(endpoint)))
            continue;
        if (index-- == 0)
            return &endpoint;
    }
    return nullptr;
}

std::optional<Pipes_t> nthPair(const std::vector<Endpoint_t>& endpoints, std::size_t inIndex,
                               std::size_t outIndex, bool usual, Source_t source) {
    const Endpoint_t* in = nthBulk(endpoints, true, inIndex, usual);
    const Endpoint_t* out = nthBulk(endpoints, false, outIndex, usual);
    if (!in || !out)
        return std::nullopt;
    return Pipes_t{*in, *out, source};
}

bool hasInterruptIn(const std::vector<Endpoint_t>& endpoints) {
    for (const Endpoint_t& endpoint : endpoints)
        if (endpoint.type == Transfer_t::Interrupt && endpoint.in())
            return true;
    return false;
}

std::optional<Pipes_t> fromExtended(const std::vector<Endpoint_t>& endpoints,
                                    const ExtConnectionInfo_t& info) {
    const SyncPort_t sync = findSyncPort(info);
    if (sync.state != SyncState_t::Ready)
        return std::nullopt;
    const ExtPort_t& port = sync.port;
    if (port.inEndpoint != 0 && port.outEndpoint != 0)
        if (auto pipes = pairOf(endpoints, port.inEndpoint, port.outEndpoint, Source_t::ExtendedEndpoints))
            return pipes;
    if (port.port != 0) {
        if (auto pipes = pairOf(endpoints, port.port, port.port, Source_t::ExtendedPort))
            return pipes;
        // Some devices count their pairs here rather than name an endpoint.
        if (auto pipes =
                nthPair(endpoints, port.port - 1u, port.port - 1u, false, Source_t::ExtendedPairIndex))
            return pipes;
    }
    return std::nullopt;
}

} // namespace

std::optional<Pipes_t> chooseEndpoints(const std::vector<Endpoint_t>& endpoints, const Clues_t& clues) {
    if (clues.extended)
        if (auto pipes = fromExtended(endpoints, *clues.extended))
            return pipes;
    if (clues.hotSyncEndpoint)
        if (auto pipes =
                pairOf(endpoints, *clues.hotSyncEndpoint, *clues.hotSyncEndpoint, Source_t::ConnectionInfo))
            return pipes;
    const bool split = (clues.quirks & kSplitPair) != 0 ||
                       ((clues.quirks & kSplitPairWithInterrupt) != 0 && hasInterruptIn(endpoints));
    if (split)
        if (auto pipes = nthPair(endpoints, 0, 1, true, Source_t::SplitPair))
            return pipes;
    if (auto pipes = nthPair(endpoints, 0, 0, true, Source_t::FirstPair))
        return pipes;
    return nthPair(endpoints, 0, 0, false, Source_t::AnyBulk);
}

const char* sourceText(Source_t source) {
    switch (source) {
    case Source_t::ExtendedEndpoints:
        return "the IN and OUT endpoints of the extended connection information";
    case Source_t::ExtendedPort:
        return "the port of the extended connection information";
    case Source_t::ExtendedPairIndex:
        return "the port of the extended connection information, counted as a pair";
    case Source_t::ConnectionInfo:
        return "the HotSync port of the connection information";
    case Source_t::SplitPair:
        return "the first bulk IN and the second bulk OUT endpoint";
    case Source_t::FirstPair:
        return "the first bulk IN and OUT endpoints";
    case Source_t::AnyBulk:
        return "the first bulk IN and OUT endpoints of any packet size";
    }
    return "";
}

} // namespace usb
