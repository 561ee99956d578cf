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

} // namespace dlp

#endif
