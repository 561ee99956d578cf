#include "dlp/DLP_Tty.h"

#include "dlp/DLP_ByteStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace dlp {

namespace {

struct Rate_t {
    uint32_t rate;
    speed_t code;
};

// The rates handhelds offer in CMP: their cradles run 9600 to 115200, some ports 230400.
constexpr Rate_t kRates[] = {{9600, B9600},   {19200, B19200},   {38400, B38400},
                             {57600, B57600}, {115200, B115200}, {230400, B230400}};

// Waits for `events` on the line, or for the line to be cut (`cutFd` readable); false when the
// time ran out or a signal came (so that Ctrl-C is noticed). A line that hung up counts as ready:
// the read or write that follows says what happened.
bool waitFor(int fd, short events, int cutFd, Timeout_t timeout, const std::string& path) {
    pollfd entries[2] = {{fd, events, 0}, {cutFd, POLLIN, 0}};
    const int ready = ::poll(entries, cutFd >= 0 ? 2 : 1, static_cast<int>(timeout.count()));
    if (ready < 0 && errno != EINTR)
        throw LinkError_t(systemErrorText("waiting for the line"));
    if (ready > 0 && cutFd >= 0 && (entries[1].revents & POLLIN))
        throw LinkError_t("the HotSync on " + path + " was stopped");
    return ready > 0;
}

std::string rateList() {
    std::string list;
    for (const Rate_t& rate : kRates)
        list += (list.empty() ? "" : ", ") + std::to_string(rate.rate);
    return list;
}

} // namespace

const std::vector<uint32_t>& TtyStream_t::rates() {
    static const std::vector<uint32_t> all = [] {
        std::vector<uint32_t> list;
        for (const Rate_t& rate : kRates)
            list.push_back(rate.rate);
        return list;
    }();
    return all;
}

TtyStream_t::TtyStream_t(const std::string& path) : m_path(path) {
    openCutPipe();
    // Non-blocking, so that a line without carrier cannot hold the open, and every wait is poll's.
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        throw LinkError_t(systemErrorText("cannot open " + path));
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0) {
        const std::string reason = systemErrorText(path + " is not a terminal");
        ::close(m_fd);
        m_fd = -1;
        throw LinkError_t(reason);
    }
    // Another program on the same port would take the handheld's bytes; where the system allows,
    // nobody else may open it while we hold it. Not every driver knows this, and that is no error.
    m_exclusive = ::ioctl(m_fd, TIOCEXCL) == 0;
    settings.c_iflag = 0;
    settings.c_oflag = 0;
    settings.c_lflag = 0;
    settings.c_cflag = CREAD | CLOCAL | CS8;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    // CMP always starts at 9600.
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(m_fd, TCSANOW, &settings) != 0) {
        const std::string reason = systemErrorText("cannot set up " + path);
        ::close(m_fd);
        m_fd = -1;
        throw LinkError_t(reason);
    }
    ::tcflush(m_fd, TCIFLUSH);
}

TtyStream_t::TtyStream_t(int fd, std::string name) : m_fd(fd), m_path(std::move(name)) {
    openCutPipe();
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
}

void TtyStream_t::openCutPipe() {
    if (::pipe2(m_cut, O_CLOEXEC | O_NONBLOCK) != 0)
        m_cut[0] = m_cut[1] = -1; // then a wait ends only by its time, as before
}

void TtyStream_t::cut() {
    if (m_cut[1] >= 0)
        (void)!::write(m_cut[1], "x", 1);
}

void TtyStream_t::uncut() {
    char drained[16];
    while (m_cut[0] >= 0 && ::read(m_cut[0], drained, sizeof drained) > 0) {
    }
}

TtyStream_t::~TtyStream_t() {
    for (const int end : m_cut)
        if (end >= 0)
            ::close(end);
    if (m_fd < 0)
        return;
    // The line keeps its settings: changing them now could cut the last bytes written. Exclusive
    // use ends, since a pseudo-terminal's far end outlives this descriptor.
    if (m_exclusive)
        (void)::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

void TtyStream_t::write(std::string_view bytes, Timeout_t timeout) {
    const char* data = bytes.data();
    std::size_t count = bytes.size();
    while (count > 0) {
        if (!waitFor(m_fd, POLLOUT, m_cut[0], timeout, m_path))
            throw LinkError_t(m_path + " took nothing for " + secondsText(timeout));
        const ssize_t sent = ::write(m_fd, data, count);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw LinkError_t(systemErrorText("writing to " + m_path + " failed"));
        }
        data += sent;
        count -= static_cast<std::size_t>(sent);
    }
}

std::size_t TtyStream_t::readSome(char* data, std::size_t capacity, Timeout_t timeout) {
    for (;;) {
        if (!waitFor(m_fd, POLLIN, m_cut[0], timeout, m_path))
            throw LinkError_t("the handheld said nothing for " + secondsText(timeout) + " on " + m_path);
        const ssize_t got = ::read(m_fd, data, capacity);
        if (got > 0)
            return static_cast<std::size_t>(got);
        // A hung-up line reads as the end (0) or as EIO (the other end of a pseudo-terminal closed).
        if (got == 0 || errno == EIO)
            throw LinkError_t(m_path + " hung up");
        if (errno != EINTR && errno != EAGAIN)
            throw LinkError_t(systemErrorText("reading " + m_path + " failed"));
    }
}

std::string TtyStream_t::describe() const {
    return m_path + " at " + std::to_string(baud()) + " baud";
}

void TtyStream_t::setBaud(uint32_t rate) {
    const Rate_t* found = nullptr;
    for (const Rate_t& known : kRates)
        if (known.rate == rate)
            found = &known;
    if (!found)
        throw std::invalid_argument(std::to_string(rate) +
                                    " baud is not a rate a serial line can be set to (" + rateList() + ")");
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        throw LinkError_t(systemErrorText("cannot read the settings of " + m_path));
    ::cfsetispeed(&settings, found->code);
    ::cfsetospeed(&settings, found->code);
    // TCSADRAIN: what is still in the output queue (the last acknowledgement) goes at the old rate.
    while (::tcsetattr(m_fd, TCSADRAIN, &settings) != 0) {
        if (errno != EINTR)
            throw LinkError_t(
                systemErrorText("cannot set " + m_path + " to " + std::to_string(rate) + " baud"));
    }
}

uint32_t TtyStream_t::baud() const {
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        return 0;
    const speed_t code = ::cfgetospeed(&settings);
    for (const Rate_t& known : kRates)
        if (known.code == code)
            return known.rate;
    return 0;
}

void TtyStream_t::discardInput() {
    ::tcflush(m_fd, TCIFLUSH);
}

} // namespace dlp
