#ifndef HOST_LINK_LINK_H
#define HOST_LINK_LINK_H

// A link a handheld HotSyncs over: a TCP port, a tty, USB. Each waits for handhelds on a thread
// of its own; the server runs their HotSyncs one at a time.

#include "dlp/DLP_Transport.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace host {

// A handheld that arrived on a link, ready for the Desktop Link Protocol.
struct Arrival_t {
    std::unique_ptr<dlp::Transport_t> transport;
    // Net Sync framing opens with its own handshake; the serial stack has opened in CMP already.
    bool netSyncHandshake = true;
    // The link did that handshake as it greeted the handheld (TCP): the session goes on from it.
    bool handshakeDone = false;
    std::string where;           // "USB 0830:0061", "/dev/ttyS0 at 115200 baud", "192.168.1.5:50514"
    std::function<void()> cut;   // ends the link at once, from another thread (Ctrl-C); may be empty
    std::function<void()> after; // once the session is over (USB: the device leaves); may be empty
};

using StopCheck_t = std::function<bool()>;

class Link_t {
public:
    virtual ~Link_t() = default;
    // Waits for the next handheld, in short bounded waits, until `stopRequested` says so.
    // Nothing when it stopped; a link that cannot work says why in words (std::runtime_error).
    virtual std::optional<Arrival_t> waitForHandheld(const StopCheck_t& stopRequested) = 0;
    // Tells a handheld that came while another HotSync runs that the desktop is busy, where the
    // link allows it; false when the handheld has to wait its turn.
    virtual bool refuseBusy(Arrival_t& arrival);
    // For the terminal: "0.0.0.0:14238", "/dev/ttyS0", "USB".
    virtual std::string name() const = 0;
};

// The handheld's HotSync log takes short lines.
std::string handheldLine(const std::string& text);

} // namespace host

#endif
