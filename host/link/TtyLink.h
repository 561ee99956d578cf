#ifndef HOST_LINK_TTYLINK_H
#define HOST_LINK_TTYLINK_H

#include "host/link/Link.h"

#include "dlp/DLP_SerialTransport.h"
#include "dlp/DLP_Tty.h"

#include <atomic>
#include <memory>

namespace host {

// A serial line: an RS-232 cradle, a USB-serial adapter, Bluetooth serial (/dev/rfcomm0), IrCOMM,
// or the kernel's tty for a USB handheld (/dev/ttyUSB1). The handheld's first bytes tell its
// stack: the serial one (SLP, PADP, CMP at 9600, then the rate agreed) or Net Sync framing.
class TtyLink_t : public Link_t {
public:
    // Opens the line at once, so that a wrong path is said before the server starts.
    // @exception dlp::LinkError_t naming the device and why it cannot be opened.
    TtyLink_t(const std::string& path, const dlp::SerialOptions_t& options);
    std::optional<Arrival_t> waitForHandheld(const StopCheck_t& stopRequested) override;
    std::string name() const override { return m_path; }

private:
    std::string m_path;
    dlp::SerialOptions_t m_options;
    std::unique_ptr<dlp::TtyStream_t> m_tty;
    // The line carries one session at a time: the next handheld is waited for once it ended.
    std::shared_ptr<std::atomic<bool>> m_inSession = std::make_shared<std::atomic<bool>>(false);
};

} // namespace host

#endif
