#ifndef DLP_DLP_BYTESTREAM_H
#define DLP_DLP_BYTESTREAM_H

// What a link carries bytes on: a TCP connection, a tty (serial port, USB-serial adapter,
// Bluetooth or the kernel's visor driver), or the bulk endpoints of a USB handheld. The packet
// stacks (Net Sync framing; SLP, PADP and CMP) run over any of them.

#include "dlp/DLP_Errors.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace dlp {

using Timeout_t = std::chrono::milliseconds;
using Deadline_t = std::chrono::steady_clock::time_point;

// The slowest an honest handheld sends, in bytes a second: a serial line at 9600 baud carries
// about twice as much. What a peer may make the desktop wait grows with what it sends at this
// rate, so that one that trickles runs out of time however it spaces its bytes.
constexpr std::size_t kSlowestBytesPerSecond = 512;

// How long an answer of `bytes` bytes may take as a whole: `timeout`, plus a second for every
// kSlowestBytesPerSecond bytes.
Timeout_t answerTime(Timeout_t timeout, std::size_t bytes);

// What a whole session may keep the desktop waiting for the handheld, before what it sent adds
// to it (see BoundedStream_t): ten times the link's timeout.
Timeout_t sessionBase(Timeout_t timeout);

class ByteStream_t {
public:
    virtual ~ByteStream_t() = default;
    // Writes all of `bytes` as one unit: on USB one OUT transfer carries exactly them.
    // @exception LinkError_t when the peer is gone or takes nothing for `timeout`.
    virtual void write(std::string_view bytes, Timeout_t timeout) = 0;
    // Reads what arrives, at least one byte and at most `capacity`, waiting at most `timeout`.
    // @exception LinkError_t when the peer closes, fails or stays silent for `timeout`.
    virtual std::size_t readSome(char* data, std::size_t capacity, Timeout_t timeout) = 0;
    // Where the bytes go, for people: "127.0.0.1:50514", "/dev/ttyS0 at 115200 baud", "USB 0830:0061".
    virtual std::string describe() const = 0;
};

// A wait as the link's words say it: "30.0 s".
std::string secondsText(Timeout_t timeout);

// `what`, then the system's words for errno: "cannot open /dev/ttyS0: Permission denied".
std::string systemErrorText(const std::string& what);

// Reads exactly `count` bytes, each part within `timeout`.
// @exception LinkError_t as readSome.
void readExactly(ByteStream_t& stream, char* data, std::size_t count, Timeout_t timeout);

// Reads exactly `count` bytes of `what` (for the error: "a frame of 40 bytes"), all of them by
// `deadline`, which `allowed` (for the error) led to. `begun`: bytes of the same answer came
// before, so the deadline is the whole answer's, not a first wait.
// @exception LinkError_t as readSome when the peer said nothing at all in a first wait, else
// naming how much came in time.
void readExactlyBy(ByteStream_t& stream, char* data, std::size_t count, Deadline_t deadline,
                   const std::string& what, Timeout_t allowed, bool begun = false);

} // namespace dlp

#endif
