#ifndef DLP_DLP_TTY_H
#define DLP_DLP_TTY_H

// A terminal line as a link's bytes: a serial port, a USB-serial adapter, a Bluetooth or IrCOMM
// port, the kernel's ttys for USB handhelds, or one end of a pseudo-terminal.

#include "dlp/DLP_ByteStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dlp {

class TtyStream_t : public ByteStream_t {
public:
    // Opens `path` raw, 8 data bits, no parity, one stop bit, no flow control, at 9600 baud, and
    // takes it for itself where the system allows. @exception LinkError_t when it cannot be opened
    // or is not a terminal.
    explicit TtyStream_t(const std::string& path);
    // Takes an open terminal descriptor (the master of a pseudo-terminal, say) as it is set up;
    // it is closed with the stream.
    TtyStream_t(int fd, std::string name);
    TtyStream_t(const TtyStream_t&) = delete;
    TtyStream_t& operator=(const TtyStream_t&) = delete;
    ~TtyStream_t() override;

    void write(std::string_view bytes, Timeout_t timeout) override;
    std::size_t readSome(char* data, std::size_t capacity, Timeout_t timeout) override;
    // "/dev/ttyS0 at 115200 baud".
    std::string describe() const override;

    // Moves the line to `rate` once what was written has gone out.
    // @exception std::invalid_argument for a rate not in rates(), LinkError_t when the line refuses.
    void setBaud(uint32_t rate);
    // The line's rate as the terminal has it now (on a pseudo-terminal's master: the rate its
    // other end set); 0 when it is none of rates().
    uint32_t baud() const;
    // Drops what arrived and was not read. (What was written still goes out: on a pseudo-terminal
    // dropping it would take it from the other end's input too.)
    void discardInput();
    // Ends every wait on the line at once, now and until uncut(), with LinkError_t (Ctrl-C during a
    // HotSync). Any thread.
    void cut();
    // The line serves again after a cut.
    void uncut();
    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }

    // The rates a line can be set to, slowest first.
    static const std::vector<uint32_t>& rates();

private:
    void openCutPipe();
    int m_fd = -1;
    int m_cut[2] = {-1, -1}; // a byte in this pipe cuts the line
    std::string m_path;
    bool m_exclusive = false;
};

} // namespace dlp

#endif
