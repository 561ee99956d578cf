#include "dlp/DLP_SerialTransport.h"

namespace dlp {

namespace {

using std::chrono::steady_clock;

PadpOptions_t padpOptions(const SerialOptions_t& options, PadpRole_t role) {
    PadpOptions_t padp;
    padp.role = role;
    padp.ackTimeout = options.ackTimeout;
    padp.tries = options.tries;
    padp.timeout = options.timeout;
    // The handheld sends full fragments; the desktop half of them (see PadpOptions_t).
    padp.fragmentSize = role == PadpRole_t::Desktop ? 512 : kPadpMaxFragment;
    return padp;
}

// Marks the transport busy for the length of a call, so that no tickle goes out in its middle.
class Busy_t {
public:
    explicit Busy_t(std::atomic<bool>& busy) : m_busy(busy) { m_busy = true; }
    ~Busy_t() { m_busy = false; }
    Busy_t(const Busy_t&) = delete;
    Busy_t& operator=(const Busy_t&) = delete;

private:
    std::atomic<bool>& m_busy;
};

} // namespace

SerialTransport_t::SerialTransport_t(std::unique_ptr<ByteStream_t> stream, const SerialOptions_t& options,
                                     PadpRole_t role)
    : m_stream(std::move(stream)), m_options(options), m_link(*m_stream, padpOptions(options, role)),
      m_bounded(dynamic_cast<BoundedStream_t*>(m_stream.get())) {
    touch();
}

SerialTransport_t::~SerialTransport_t() {
    {
        const std::lock_guard<std::mutex> lock(m_tickling);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_tickler.joinable())
        m_tickler.join();
}

void SerialTransport_t::touch() {
    m_lastActivity = steady_clock::now().time_since_epoch().count();
}

CmpResult_t SerialTransport_t::connect(const RateChange_t& changeRate) {
    CmpOptions_t cmp;
    cmp.maxRate = m_options.maxBaud;
    cmp.switchPause = m_options.switchPause;
    cmp.settleWindow = m_options.settleWindow;
    CmpResult_t result;
    {
        const Busy_t busy(m_busy);
        result = acceptWakeUp(m_link, cmp, changeRate);
        m_connected = true;
        touch();
    }
    if (m_options.tickleEvery.count() > 0 && !m_tickler.joinable())
        m_tickler = std::thread([this] { tickleWhileIdle(); });
    return result;
}

void SerialTransport_t::send(const Frame_t& frame) {
    const Busy_t busy(m_busy);
    m_link.send(frame.transaction, frame.payload);
    touch();
}

Frame_t SerialTransport_t::receive() {
    const Busy_t busy(m_busy);
    for (;;) {
        Frame_t frame = m_link.receive();
        touch();
        // What the session's bound counts of the handheld: its messages, not the noise, tickles
        // and repeats around them.
        if (m_bounded)
            m_bounded->credit(frame.payload.size());
        // A wakeup still on its way when CMP ended (the link acknowledged it) is no DLP answer.
        if (m_connected && frame.transaction == kCmpTransaction)
            continue;
        return frame;
    }
}

void SerialTransport_t::tickle() {
    m_link.tickle();
    touch();
}

void SerialTransport_t::tickleWhileIdle() {
    std::unique_lock<std::mutex> lock(m_tickling);
    while (!m_stopping) {
        const steady_clock::time_point now = steady_clock::now();
        const steady_clock::time_point due =
            steady_clock::time_point{steady_clock::duration(m_lastActivity.load())} + m_options.tickleEvery;
        if (now >= due && !m_busy) {
            lock.unlock();
            try {
                tickle();
            } catch (const std::exception&) {
                touch(); // the link is gone; the next request says so to whoever makes it
            }
            lock.lock();
            continue;
        }
        // In the middle of a call, look again a period later (a call ends with fresh activity).
        if (m_wake.wait_until(lock, now >= due ? now + m_options.tickleEvery : due,
                              [this] { return m_stopping; }))
            break;
    }
}

} // namespace dlp
