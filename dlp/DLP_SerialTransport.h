#ifndef DLP_DLP_SERIALTRANSPORT_H
#define DLP_DLP_SERIALTRANSPORT_H

// DLP over the serial stack: each DLP request or answer is one PADP message in SLP frames, its
// SLP transaction id the frame's transaction. It runs over any byte stream: a tty, or the bulk
// endpoints of the few USB handhelds that speak this stack.

#include "dlp/DLP_BoundedStream.h"
#include "dlp/DLP_ByteStream.h"
#include "dlp/DLP_Cmp.h"
#include "dlp/DLP_Padp.h"
#include "dlp/DLP_Transport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace dlp {

struct SerialOptions_t {
    // The fastest rate the desktop offers in CMP (the handheld's own maximum may be lower).
    uint32_t maxBaud = 115200;
    // For each message of the handheld to begin, and each of its fragments to follow.
    std::chrono::milliseconds timeout{30000};
    // A fragment not acknowledged within `ackTimeout` is sent again, `tries` times in all.
    std::chrono::milliseconds ackTimeout{2000};
    int tries = 10;
    // While the desktop works between two requests, a tickle this often tells the handheld the
    // desktop is still there; 0: never.
    std::chrono::milliseconds tickleEvery{10000};
    // After the rate changed (see CmpOptions_t).
    std::chrono::milliseconds switchPause{50};
    std::chrono::milliseconds settleWindow{3000};
    // While waiting for a handheld: how often to ask whether to stop, and after how much silence
    // to send an empty Net Sync frame, which gets some silent USB handhelds talking (0: never).
    std::chrono::milliseconds poll{200};
    std::chrono::milliseconds nudgeAfter{1000};
};

class SerialTransport_t : public Transport_t {
public:
    // `role` Handheld is for simulated handhelds (tests).
    SerialTransport_t(std::unique_ptr<ByteStream_t> stream, const SerialOptions_t& options,
                      PadpRole_t role = PadpRole_t::Desktop);
    ~SerialTransport_t() override;

    // The desktop's side of CMP (see acceptWakeUp), then tickles begin while the desktop is busy.
    // `changeRate` moves the line; links without a line rate pass none.
    CmpResult_t connect(const RateChange_t& changeRate = {});

    void send(const Frame_t& frame) override;
    Frame_t receive() override;
    // A tickle now (the timer sends them on its own after connect()). Safe from another thread.
    void tickle();

    PadpLink_t& link() { return m_link; }
    ByteStream_t& stream() { return *m_stream; }

private:
    void tickleWhileIdle();
    void touch();

    std::unique_ptr<ByteStream_t> m_stream;
    SerialOptions_t m_options;
    PadpLink_t m_link;
    BoundedStream_t* m_bounded; // m_stream, when the session is bounded
    bool m_connected = false;   // CMP done
    std::atomic<bool> m_busy{false};
    std::atomic<std::chrono::steady_clock::rep> m_lastActivity{0};
    std::mutex m_tickling;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_tickler;
};

} // namespace dlp

#endif
