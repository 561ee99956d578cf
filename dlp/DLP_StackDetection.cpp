#include "dlp/DLP_StackDetection.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Slp.h"

#include <cstdint>

namespace dlp {

namespace {

constexpr std::size_t kLook = 10; // bytes a decision needs at most

uint8_t at(std::string_view bytes, std::size_t index) {
    return static_cast<uint8_t>(bytes[index]);
}

// Whether the bytes there are so far agree with `pattern`, where -1 takes any byte.
bool agrees(std::string_view bytes, std::initializer_list<int> pattern) {
    std::size_t index = 0;
    for (const int expected : pattern) {
        if (index == bytes.size())
            break;
        if (expected >= 0 && at(bytes, index) != expected)
            return false;
        ++index;
    }
    return true;
}

Detection_t need(std::size_t size, Detection_t::Kind_t kind, std::string_view bytes) {
    return bytes.size() < size ? Detection_t{Detection_t::NeedMore, 0} : Detection_t{kind, 0};
}

Detection_t slp(std::string_view bytes) {
    if (bytes.size() < kSlpHeaderSize)
        return {Detection_t::NeedMore, 0};
    Reader_t header(bytes.substr(0, kSlpHeaderSize), "an SLP header");
    header.skip(3);
    const uint8_t destination = header.u8(), source = header.u8(), type = header.u8();
    header.u16();
    const uint8_t transaction = header.u8(), sum = header.u8();
    unsigned total = 0;
    for (std::size_t i = 0; i + 1 < kSlpHeaderSize; ++i)
        total += at(bytes, i);
    if (static_cast<uint8_t>(total) != sum)
        return {Detection_t::Skip, 3};
    if (destination == kSlpDesktopLink && source == kSlpDesktopLink && type == kSlpTypePadp &&
        transaction == 0xFF)
        return {Detection_t::SerialStack, 0};
    return {Detection_t::Skip, kLook};
}

} // namespace

std::string linkKindName(LinkKind_t kind) {
    return kind == LinkKind_t::SerialStack ? "the serial stack (SLP, PADP, CMP)" : "Net Sync framing";
}

std::string lostNetSyncHeader() {
    return fromHex("01ff00000016");
}

Detection_t detectStack(std::string_view bytes) {
    if (bytes.empty())
        return {Detection_t::NeedMore, 0};
    if (agrees(bytes, {0xBE, 0xEF, 0xED}))
        return slp(bytes);
    if (agrees(bytes, {0x01, -1, 0x00, 0x00, 0x00, -1, 0x90}) && (bytes.size() < 6 || at(bytes, 5) > 0))
        return need(7, Detection_t::NetSync, bytes);
    if (agrees(bytes, {0x90, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20}))
        return need(kLook, Detection_t::NetSyncHeaderless, bytes);
    return {Detection_t::Skip, 1};
}

} // namespace dlp
