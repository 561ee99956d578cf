#include "SerialHandheld.h"

#include "dlp/DLP_Cmp.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Padp.h"
#include "dlp/DLP_SerialTransport.h"
#include "dlp/DLP_Slp.h"

#include <optional>
#include <thread>
#include <utility>

namespace sim {

namespace {

using namespace std::chrono;

// Line noise a handheld may send between frames: bytes seen before a first frame, half a
// signature, and a signature whose header does not add up.
const std::string kNoise("\x08\x08\xBE\xEF\x00\xBE\xEF\xED\x03\x03\x02\x00\x04\x01\x00", 15);

// The handheld's line, with the faults it was asked for. Every write is one frame.
class FaultyLine : public dlp::ByteStream_t {
public:
    FaultyLine(std::unique_ptr<dlp::ByteStream_t> line, dlp::TtyStream_t* tty, bool ptyMaster,
               const SerialSetup& setup, SerialReport& report)
        : m_line(std::move(line)), m_tty(tty), m_ptyMaster(ptyMaster), m_setup(setup), m_report(report) {}

    void write(std::string_view bytes, dlp::Timeout_t timeout) override {
        if (m_setup.stack != Stack::Slp) {
            m_line->write(bytes, timeout);
            return;
        }
        const dlp::SlpScan_t scan = dlp::scanSlp(bytes);
        std::optional<dlp::PadpPacket_t> packet;
        if (scan.kind == dlp::SlpScan_t::Frame && scan.frame.type == dlp::kSlpTypePadp)
            packet = dlp::decodePadp(scan.frame.transaction, scan.frame.payload);
        const SerialFaults& faults = m_setup.faults;
        if (packet && packet->type == dlp::kPadpAck && packet->transaction == dlp::kCmpTransaction &&
            !m_initAcknowledged) {
            m_initAcknowledged = true;
            m_report.beforeAck = m_tty && m_ptyMaster ? m_tty->baud() : dlp::kCmpFirstRate;
        }
        if (packet && packet->type == dlp::kPadpAck && packet->transaction != dlp::kCmpTransaction &&
            (packet->flags & dlp::kPadpLast) && packet->transaction != m_lastRequest) {
            m_lastRequest = packet->transaction;
            if (++m_requests == faults.loseAckAt)
                return; // the desktop must take the answer for it
        }
        std::string out(bytes);
        if (++m_frames == faults.badCrcAt)
            out.back() = static_cast<char>(out.back() ^ 0x5A);
        if (faults.garbage)
            out.insert(0, kNoise);
        m_line->write(out, timeout);
        if (packet && packet->type == dlp::kPadpData && ++m_dataFrames == faults.duplicateAt)
            m_line->write(out, timeout);
    }

    // While deaf, what arrives is lost; the deadline still holds.
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) override {
        const auto deadline = steady_clock::now() + timeout;
        for (;;) {
            const auto left = ceil<milliseconds>(deadline - steady_clock::now());
            if (left.count() <= 0)
                throw dlp::LinkError_t("the desktop said nothing");
            const std::size_t got = m_line->readSome(data, capacity, left);
            if (steady_clock::now() >= m_deafUntil)
                return got;
        }
    }

    std::string describe() const override { return m_line->describe(); }

    void deafFor(milliseconds span) { m_deafUntil = steady_clock::now() + span; }

private:
    std::unique_ptr<dlp::ByteStream_t> m_line;
    dlp::TtyStream_t* m_tty;
    bool m_ptyMaster;
    const SerialSetup& m_setup;
    SerialReport& m_report;
    bool m_initAcknowledged = false;
    int m_frames = 0;
    int m_dataFrames = 0;
    int m_requests = 0;
    int m_lastRequest = -1;
    steady_clock::time_point m_deafUntil{};
};

// A handheld on a USB tty speaks when it is spoken to: the desktop's empty frame after a silence
// gets its first frame sent again, in case the desktop dropped it while opening the line.
class NudgedHandheld : public dlp::Transport_t {
public:
    explicit NudgedHandheld(dlp::Transport_t& inner) : m_inner(inner) {}
    void send(const dlp::Frame_t& frame) override {
        if (frame.transaction == dlp::kCmpTransaction)
            m_first = frame;
        m_inner.send(frame);
    }
    dlp::Frame_t receive() override {
        for (;;) {
            dlp::Frame_t frame = m_inner.receive();
            if (frame.transaction != 0 || !frame.payload.empty())
                return frame;
            if (m_first)
                m_inner.send(*m_first);
        }
    }

private:
    dlp::Transport_t& m_inner;
    std::optional<dlp::Frame_t> m_first;
};

// The handheld's side of CMP: wakeups until the INIT comes, the INIT acknowledged (by the link),
// then the new rate.
dlp::CmpPacket_t wakeDesktop(dlp::PadpLink_t& link, const SerialSetup& setup) {
    dlp::CmpPacket_t wakeUp;
    wakeUp.type = dlp::kCmpWakeUp;
    wakeUp.flags = setup.longForm ? dlp::kCmpLongPadp : 0;
    wakeUp.major = setup.cmpMajor;
    wakeUp.minor = setup.cmpMinor;
    wakeUp.rate = setup.maxBaud;
    const std::string bytes = dlp::encodeCmp(wakeUp);
    const auto giveUp = steady_clock::now() + setup.timeout;
    // Repeating handhelds were recorded sending a wakeup every few hundred milliseconds.
    const milliseconds every = setup.faults.repeatWakeUp ? milliseconds(150) : setup.ackTimeout;
    for (;;) {
        if (steady_clock::now() >= giveUp)
            throw dlp::LinkError_t("the desktop never answered the wakeup");
        if (setup.faults.repeatWakeUp || !link.acknowledged(dlp::kCmpTransaction))
            link.post(dlp::kCmpTransaction, bytes);
        const std::optional<dlp::Frame_t> message =
            link.receiveUntil(std::min(steady_clock::now() + every, giveUp));
        if (!message)
            continue;
        if (message->transaction != dlp::kCmpTransaction)
            throw dlp::ProtocolError_t("the desktop sent transaction " +
                                       std::to_string(message->transaction) + " before its CMP INIT");
        const dlp::CmpPacket_t answer = dlp::decodeCmp(message->payload);
        if (answer.type == dlp::kCmpAbort)
            throw dlp::ProtocolError_t("the desktop aborted CMP (flags " + std::to_string(answer.flags) +
                                       ")");
        if (answer.type != dlp::kCmpInit)
            throw dlp::ProtocolError_t("the desktop answered the wakeup with CMP type " +
                                       std::to_string(answer.type));
        link.setLongForm((wakeUp.flags & dlp::kCmpLongPadp) && (answer.flags & dlp::kCmpLongPadp));
        return answer;
    }
}

// The desktop sends its first request only once its line has moved: the line's rate is looked at
// then, without holding up the acknowledgements before it.
class FirstRequestWatch : public dlp::Transport_t {
public:
    FirstRequestWatch(dlp::Transport_t& inner, std::function<void()> onFirst)
        : m_inner(inner), m_onFirst(std::move(onFirst)) {}
    void send(const dlp::Frame_t& frame) override { m_inner.send(frame); }
    dlp::Frame_t receive() override {
        dlp::Frame_t frame = m_inner.receive();
        if (m_onFirst)
            std::exchange(m_onFirst, nullptr)();
        return frame;
    }

private:
    dlp::Transport_t& m_inner;
    std::function<void()> m_onFirst;
};

// Reads until the desktop hangs up or `span` passes: a pseudo-terminal's far end loses what it
// has not read when the master closes.
void linger(dlp::ByteStream_t& stream, milliseconds span) {
    char sink[256];
    const auto until = steady_clock::now() + span;
    try {
        while (dlp::readUntil(stream, sink, sizeof sink, until))
            ;
    } catch (const dlp::LinkError_t&) {
    }
}

} // namespace

void playSerial(Simulator& simulator, std::unique_ptr<dlp::ByteStream_t> line, dlp::TtyStream_t* tty,
                bool ptyMaster, const SerialSetup& setup, const Faults& faults, SerialReport& report,
                const std::function<void(const SerialReport&)>& onRate) {
    auto faulty = std::make_unique<FaultyLine>(std::move(line), tty, ptyMaster, setup, report);
    FaultyLine& stream = *faulty;
    if (setup.stack == Stack::NetSync) {
        dlp::NetSyncTransport_t transport(std::move(faulty), setup.timeout);
        NudgedHandheld handheld(transport);
        simulator.serve(handheld, faults);
        // Nothing acknowledges the last answer: give the desktop the time to read it.
        linger(stream, milliseconds(500));
        return;
    }
    if (setup.faults.neverWake) {
        // Sits in its cradle until the desktop gives up, hangs up, or the time runs out.
        linger(stream, setup.timeout);
        return;
    }
    dlp::SerialOptions_t options;
    options.ackTimeout = setup.ackTimeout;
    options.timeout = setup.timeout;
    options.tickleEvery = milliseconds(0);
    dlp::SerialTransport_t transport(std::move(faulty), options, dlp::PadpRole_t::Handheld);
    const dlp::CmpPacket_t init = wakeDesktop(transport.link(), setup);
    report.woke = true;
    report.longForm = transport.link().longForm();
    report.offered = init.flags & dlp::kCmpChangeRate ? init.rate : dlp::kCmpFirstRate;
    if (report.beforeAck != dlp::kCmpFirstRate)
        report.problems.push_back("the desktop's line was at " + std::to_string(report.beforeAck) +
                                  " baud before the handheld acknowledged the INIT, not at 9600");
    report.seen = report.offered;
    if (tty && !ptyMaster && report.offered != dlp::kCmpFirstRate)
        tty->setBaud(report.offered); // a real line: the handheld follows
    if (report.offered != dlp::kCmpFirstRate && setup.faults.deafAfterSwitch.count() > 0)
        stream.deafFor(setup.faults.deafAfterSwitch);
    FirstRequestWatch watched(transport, [&] {
        if (tty && ptyMaster) {
            report.seen = tty->baud();
            if (report.seen != report.offered)
                report.problems.push_back("the desktop offered " + std::to_string(report.offered) +
                                          " baud and its line was at " + std::to_string(report.seen) +
                                          " when its first request came");
        }
        if (onRate)
            onRate(report);
    });
    Faults played = faults;
    if (setup.faults.tickleWhileStalled.count() > 0)
        played.whileStalled = [&transport, &stream, every = setup.faults.tickleWhileStalled] {
            transport.tickle();
            // Whatever the desktop sends is taken; its hanging up ends the handheld.
            char sink[256];
            const auto until = steady_clock::now() + every;
            while (dlp::readUntil(stream, sink, sizeof sink, until))
                ;
        };
    simulator.serveRequests(watched, played);
}

} // namespace sim
