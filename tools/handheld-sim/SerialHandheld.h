#ifndef TOOLS_HANDHELDSIM_SERIALHANDHELD_H
#define TOOLS_HANDHELDSIM_SERIALHANDHELD_H

// The simulated handheld on a serial line: the serial stack (CMP wakeup, then DLP over PADP and
// SLP, as a cradle handheld speaks it) or Net Sync framing (as a USB handheld does on the kernel's
// tty), with the faults real lines and handhelds show. The DLP answers are the Simulator's.
#include "HandheldSimulator.h"

#include "dlp/DLP_Tty.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

enum class Stack { Slp, NetSync };

// What the handheld does wrong, or its own way, counting from 1.
struct SerialFaults {
    int badCrcAt = 0;     // the Nth SLP frame it sends carries a wrong CRC
    int loseAckAt = 0;    // it never acknowledges the Nth DLP request: the answer comes instead
    int duplicateAt = 0;  // the Nth data fragment it sends goes out twice
    bool garbage = false; // noise before every SLP frame it sends
    bool neverWake = false;
    bool repeatWakeUp = false; // repeats the wakeup until the INIT comes, acknowledged or not
    std::chrono::milliseconds deafAfterSwitch{0}; // takes nothing this long after the rate change
    // Tickles every so often in place of answering the stalled request (0: stays silent), as a
    // handheld that claims to be busy for ever.
    std::chrono::milliseconds tickleWhileStalled{0};
};

struct SerialSetup {
    Stack stack = Stack::Slp;
    uint32_t maxBaud = 115200; // in the wakeup
    uint8_t cmpMajor = 1;
    uint8_t cmpMinor = 3;
    bool longForm = true; // offers long PADP headers (flag 10), as OS 4 handhelds do
    std::chrono::milliseconds ackTimeout{2000};
    std::chrono::milliseconds timeout{30000};
    SerialFaults faults;
};

// What the handheld saw of the desktop.
struct SerialReport {
    bool woke = false;      // CMP done
    uint32_t offered = 0;   // the INIT's rate (9600 when the line stays)
    uint32_t beforeAck = 0; // the desktop's rate just before the INIT was acknowledged (pty only)
    uint32_t seen = 0;      // the desktop's rate at its first request (pty only; else the INIT's)
    bool longForm = false;
    std::vector<std::string> problems; // what the desktop did wrong
};

// Plays the handheld on `line`. When `line` is a tty, `tty` is it: on a pty master (`ptyMaster`)
// the desktop's rate is read from it and the master's own settings are left alone; on another tty
// the handheld follows the rate. Without a tty (a recorded desktop, say) rates are only told.
// `report` fills as the session goes (also when it fails); `onRate` hears of the rate when the
// desktop's first request comes. The Simulator's faults (drop, stall, lie) apply to the DLP
// requests as over TCP.
// @exception dlp::LinkError_t, dlp::ProtocolError_t when the desktop fails.
void playSerial(Simulator& simulator, std::unique_ptr<dlp::ByteStream_t> line, dlp::TtyStream_t* tty,
                bool ptyMaster, const SerialSetup& setup, const Faults& faults, SerialReport& report,
                const std::function<void(const SerialReport&)>& onRate);

} // namespace sim

#endif
