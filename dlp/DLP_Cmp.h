#ifndef DLP_DLP_CMP_H
#define DLP_DLP_CMP_H

// The Connection Management Protocol: how a serial HotSync begins. At 9600 baud the handheld sends
// a WAKEUP (a 10-byte PADP message, transaction FF) with the fastest rate it can take; the desktop
// acknowledges it and answers with an INIT naming the rate both will use; once the handheld has
// acknowledged the INIT, both move to that rate.
//   u8 type | u8 flags | u8 major | u8 minor | u16 0 | u32 rate, big-endian

#include "dlp/DLP_Padp.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dlp {

constexpr uint8_t kCmpWakeUp = 0x01;
constexpr uint8_t kCmpInit = 0x02;
constexpr uint8_t kCmpAbort = 0x03;

// In WAKEUP and INIT.
constexpr uint8_t kCmpChangeRate = 0x80;
constexpr uint8_t kCmpLongPadp = 0x10;
// In ABORT.
constexpr uint8_t kCmpVersionMismatch = 0x80;

constexpr uint32_t kCmpFirstRate = 9600;
constexpr std::size_t kCmpSize = 10;

struct CmpPacket_t {
    uint8_t type = kCmpWakeUp;
    uint8_t flags = 0;
    uint8_t major = 1;
    uint8_t minor = 1;
    uint32_t rate = 0;
};

std::string encodeCmp(const CmpPacket_t& packet);
// @exception ProtocolError_t for anything but 10 bytes.
CmpPacket_t decodeCmp(std::string_view bytes);

// The rate to offer: the fastest of `supported` (slowest first) that neither the handheld's rate
// nor the desktop's maximum exceeds; never below 9600.
uint32_t chooseRate(uint32_t handheldRate, uint32_t desktopMaximum, const std::vector<uint32_t>& supported);

// The desktop's INIT for a WAKEUP: the chosen rate (flag 80, or rate 0 when it stays 9600), long
// PADP headers offered (flag 10), version 1.1.
CmpPacket_t desktopInit(const CmpPacket_t& wakeUp, uint32_t rate);

// Moves the line to a rate. Links without a line rate (USB, sockets) pass none.
using RateChange_t = std::function<void(uint32_t)>;

struct CmpOptions_t {
    uint32_t maxRate = 115200;
    // The rates the line can take; the INIT never names another.
    std::vector<uint32_t> rates = {9600, 19200, 38400, 57600, 115200, 230400};
    // After the line moved: a short pause, and then quick tries for the first fragments while the
    // handheld follows (PadpLink_t::settle). One handheld took nothing for about 0.8 s after the
    // switch; rather than wait that long for every handheld, the pause is short and the quick tries
    // reach a slow one as soon as it listens.
    std::chrono::milliseconds switchPause{50};
    std::chrono::milliseconds settleWindow{3000};
};

struct CmpResult_t {
    CmpPacket_t wakeUp;
    CmpPacket_t init;
    uint32_t rate = kCmpFirstRate; // the line's rate from now on
    bool longForm = false;         // long PADP headers agreed by both
};

// The desktop's side, on a link whose first message is the WAKEUP. Repeated WAKEUPs are
// acknowledged and dropped; the rate changes only after the handheld acknowledged the INIT.
// @exception ProtocolError_t when the first message is no WAKEUP, or the handheld's major
// version is not 1 (it is sent an ABORT first); LinkError_t as PadpLink_t.
CmpResult_t acceptWakeUp(PadpLink_t& link, const CmpOptions_t& options, const RateChange_t& changeRate);

} // namespace dlp

#endif
