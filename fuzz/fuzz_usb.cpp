// Arbitrary bytes as what a USB handheld says about itself: its interface's endpoints, its replies
// to the vendor requests (the connection information, the extended one, the interrupt endpoint's
// packet, the bytes-available reply) and the choice of bulk endpoints made from them, in the order
// the setup asks them. Replies that are cut short are MalformedReply_t; nothing may read past
// what arrived, and a chosen pair must be bulk endpoints the interface has.
#include "FuzzMemory.h"

#include "usb/USB_Devices.h"
#include "usb/USB_Endpoints.h"
#include "usb/USB_Replies.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The input taken in order; what is missing reads as zeros.
class Input_t {
public:
    explicit Input_t(std::string_view bytes) : m_rest(bytes) {}
    uint8_t u8() {
        if (m_rest.empty())
            return 0;
        const auto value = static_cast<uint8_t>(m_rest.front());
        m_rest.remove_prefix(1);
        return value;
    }
    uint16_t u16() { return static_cast<uint16_t>(u8() << 8 | u8()); }
    // A length byte, then at most that many bytes.
    std::string piece(std::size_t most) {
        const std::size_t size = std::min<std::size_t>(u8() % (most + 1), m_rest.size());
        std::string taken(m_rest.substr(0, size));
        m_rest.remove_prefix(size);
        return taken;
    }

private:
    std::string_view m_rest;
};

template <class Parse_t>
auto parsed(const std::string& reply, Parse_t parse) -> std::optional<decltype(parse(std::string_view()))> {
    if (reply.empty())
        return std::nullopt;
    try {
        return parse(reply);
    } catch (const usb::MalformedReply_t&) {
        return std::nullopt;
    }
}

bool has(const std::vector<usb::Endpoint_t>& endpoints, const usb::Endpoint_t& chosen, bool in) {
    for (const usb::Endpoint_t& endpoint : endpoints)
        if (endpoint.address == chosen.address && endpoint.type == usb::Transfer_t::Bulk &&
            endpoint.in() == in)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzzing::MemoryBound_t bound(size, 16, 64 * 1024);
    Input_t input(std::string_view(reinterpret_cast<const char*>(data), size));
    const uint16_t vendor = input.u16();
    const uint16_t product = input.u16();
    const usb::Device_t* known = usb::findDevice(vendor, product);
    usb::stackOf(vendor, product);
    usb::idText(vendor, product);
    std::vector<usb::Endpoint_t> endpoints(input.u8() % 33);
    for (usb::Endpoint_t& endpoint : endpoints) {
        endpoint.address = input.u8();
        endpoint.type = static_cast<usb::Transfer_t>(input.u8() & 0x03);
        endpoint.maxPacket = static_cast<uint16_t>(input.u16() & 0x07FF);
    }
    const std::string extended = input.piece(64);
    const std::string interrupt = input.piece(64);
    const std::string connection = input.piece(64);
    const std::string available = input.piece(16);

    usb::Clues_t clues;
    clues.quirks = known ? known->quirks : input.u8();
    // As the setup asks: the extended information or the interrupt endpoint's, then the 6 bytes.
    clues.extended = parsed(extended, usb::parseExtConnectionInfo);
    if (!clues.extended)
        clues.extended = parsed(interrupt, usb::parseInterruptReply);
    if (!clues.extended || usb::findSyncPort(*clues.extended).state != usb::SyncState_t::Ready) {
        if (const auto ports = parsed(connection, usb::parseConnectionInfo))
            clues.hotSyncEndpoint = usb::hotSyncEndpoint(*ports);
        parsed(available, usb::parseBytesAvailable);
    }
    if (const auto pipes = usb::chooseEndpoints(endpoints, clues)) {
        if (!has(endpoints, pipes->in, true) || !has(endpoints, pipes->out, false))
            __builtin_trap(); // a pair the interface does not have
        usb::sourceText(pipes->source);
    }
    return 0;
}
