#ifndef DLP_DLP_SLP_H
#define DLP_DLP_SLP_H

// The Serial Link Protocol: the frames that carry PADP (and so CMP and DLP) on a serial line.
//   BE EF ED | u8 destination socket | u8 source socket | u8 type | u16 payload length |
//   u8 transaction id | u8 sum of the 9 bytes before | payload | u16 CRC of all before it
// Everything is big-endian. A receiver looks for the signature, checks the sum, then the CRC,
// and drops a frame that fails either: the sender tries again.

#include "dlp/DLP_ByteStream.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dlp {

constexpr std::size_t kSlpHeaderSize = 10;
constexpr std::size_t kSlpCrcSize = 2;
// HotSync's socket at both ends.
constexpr uint8_t kSlpDesktopLink = 3;
constexpr uint8_t kSlpTypePadp = 2;
constexpr uint8_t kSlpTypeLoopBack = 3;
// The largest payload taken from the line: a PADP fragment of 1024 bytes with the long header,
// and room for the few bytes some handhelds leave after an acknowledgement. A header that claims
// more is line noise that happened to add up, and the scan goes on past its signature.
constexpr std::size_t kSlpMaxPayload = 1024 + 16;

struct SlpFrame_t {
    uint8_t destination = kSlpDesktopLink;
    uint8_t source = kSlpDesktopLink;
    uint8_t type = kSlpTypePadp;
    uint8_t transaction = 0;
    std::string payload;
};

// CRC-16 with polynomial 0x1021, starting at 0, not reflected, no final xor ("123456789" gives
// 0x31C3).
uint16_t slpCrc(std::string_view bytes);
// @exception std::length_error for a payload over 65,535 bytes.
std::string encodeSlp(const SlpFrame_t& frame);

// What the start of some received bytes holds.
struct SlpScan_t {
    enum Kind_t {
        Frame,    // a good frame of `size` bytes, in `frame`
        NeedMore, // the start of a frame or of a signature: wait for more bytes
        Garbage,  // `size` bytes that are no frame: drop them
        Broken,   // a signature whose sum, length or CRC is wrong: drop `size` (1) byte and look again
    } kind = NeedMore;
    std::size_t size = 0;
    SlpFrame_t frame;
};
SlpScan_t scanSlp(std::string_view bytes);

// Frames from a stream: garbage skipped, broken frames and loop-back frames dropped.
class SlpReader_t {
public:
    explicit SlpReader_t(ByteStream_t& stream) : m_stream(stream) {}
    // The next good frame that is not loop-back, or nothing when `deadline` passes first.
    // @exception LinkError_t when the stream fails or the peer hangs up.
    std::optional<SlpFrame_t> next(Deadline_t deadline);

    uint64_t skippedBytes() const { return m_skipped; }
    uint64_t brokenFrames() const { return m_broken; }
    uint64_t loopBackFrames() const { return m_loopBacks; }

private:
    ByteStream_t& m_stream;
    std::string m_buffer;
    uint64_t m_skipped = 0;
    uint64_t m_broken = 0;
    uint64_t m_loopBacks = 0;
};

// Reads from `stream` until `deadline`: what arrived, or nothing when the time ran out.
// @exception LinkError_t when the stream fails before its time. A stream raises the same error for
// silence as for a hang-up; one that comes at the deadline is taken as silence.
std::optional<std::size_t> readUntil(ByteStream_t& stream, char* data, std::size_t capacity,
                                     Deadline_t deadline);

} // namespace dlp

#endif
