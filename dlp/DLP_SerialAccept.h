#ifndef DLP_DLP_SERIALACCEPT_H
#define DLP_DLP_SERIALACCEPT_H

// Waiting for a handheld on a line that may carry either stack (a serial port, the kernel's ttys
// for USB handhelds, a USB handheld's bulk endpoints), and opening the link it asks for.

#include "dlp/DLP_Cmp.h"
#include "dlp/DLP_SerialTransport.h"
#include "dlp/DLP_StackDetection.h"
#include "dlp/DLP_Transport.h"
#include "dlp/DLP_Tty.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dlp {

struct AcceptedLink_t {
    // Empty when stopRequested() ended the wait before a handheld came.
    std::unique_ptr<Transport_t> transport;
    LinkKind_t kind = LinkKind_t::SerialStack;
    // The line's rate as the session begins (9600 for Net Sync framing, which has no CMP).
    uint32_t baud = kCmpFirstRate;
    // The serial stack's WAKEUP and INIT.
    CmpResult_t cmp;
};

// Waits on `stream` for a handheld, in waits of options.poll between which `stopRequested` (may be
// empty) is asked; tells its stack from its first bytes, skipping noise; for the serial stack runs
// CMP (moving the line through `changeRate`, which may be empty). The transport reads through
// `stream`, which must outlive it, bounded as a whole from the handheld's first frame
// (BoundedStream_t, sessionBase(options.timeout)); for Net Sync framing,
// DesktopSession_t::handshake() comes next.
// @exception LinkError_t when the stream fails or hangs up, ProtocolError_t and LinkError_t from CMP.
AcceptedLink_t acceptOnStream(ByteStream_t& stream, const SerialOptions_t& options,
                              const std::function<bool()>& stopRequested,
                              const RateChange_t& changeRate = {});

// The same on a tty: the line back at 9600 (what was written before goes out first) and what
// came before dropped, as CMP begins; the line moves to the rate CMP agreed.
AcceptedLink_t acceptOnTty(TtyStream_t& tty, const SerialOptions_t& options,
                           const std::function<bool()>& stopRequested);

} // namespace dlp

#endif
