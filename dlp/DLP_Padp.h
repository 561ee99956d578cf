#ifndef DLP_DLP_PADP_H
#define DLP_DLP_PADP_H

// The Packet Assembly/Disassembly Protocol: messages of any size (one CMP or DLP message each) cut
// into fragments that ride in SLP frames, every fragment acknowledged.
//   u8 type | u8 flags | size: u16, or u32 with the long-form flag | data
// The size is the whole message's in the first fragment and the fragment's offset in later ones;
// an acknowledgement repeats the size of the fragment it acknowledges, with the same SLP
// transaction id. A request, its acknowledgement and the answer share one transaction id.

#include "dlp/DLP_Slp.h"
#include "dlp/DLP_Transport.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace dlp {

constexpr uint8_t kPadpData = 0x01;
constexpr uint8_t kPadpAck = 0x02;
constexpr uint8_t kPadpTickle = 0x04;
constexpr uint8_t kPadpAbort = 0x08;

constexpr uint8_t kPadpFirst = 0x80;
constexpr uint8_t kPadpLast = 0x40;
constexpr uint8_t kPadpMemoryError = 0x20;
constexpr uint8_t kPadpLongForm = 0x10;

// The most data a fragment may carry.
constexpr std::size_t kPadpMaxFragment = 1024;
// The largest message taken from the peer: a DLP answer carrying a whole 64 KB record and its
// headers fits; a message that claims more is a broken or hostile peer.
constexpr uint32_t kPadpMaxMessage = 0x10000 + 0x100;
// CMP's transaction id; DLP uses 01 to FE.
constexpr uint8_t kCmpTransaction = 0xFF;

struct PadpPacket_t {
    uint8_t transaction = 0; // of the SLP frame
    uint8_t type = kPadpData;
    uint8_t flags = 0;
    uint32_t size = 0;
    std::string data; // an acknowledgement's trailing bytes are kept here, and ignored
};

// In the long form exactly when the flags say so. @exception std::length_error for a size the
// short form cannot hold.
std::string encodePadp(const PadpPacket_t& packet);
// @exception ProtocolError_t for a payload too short for its header.
PadpPacket_t decodePadp(uint8_t transaction, std::string_view payload);

// Who speaks: the two ends write their acknowledgements and choose their forms differently.
//  - The desktop acknowledges with flags C0 and the short form whenever the size fits, and sends
//    the short form unless a message needs more, as the desktops recorded from real sessions do.
//  - A handheld copies the fragment's flags into its acknowledgement and, once the long form is
//    agreed, uses it for everything it sends.
enum class PadpRole_t { Desktop, Handheld };

struct PadpOptions_t {
    PadpRole_t role = PadpRole_t::Desktop;
    // A fragment not acknowledged within `ackTimeout` is sent again, `tries` times in all.
    std::chrono::milliseconds ackTimeout{2000};
    int tries = 10;
    // How long a message may take to begin (tickles lengthen that, up to sessionBase(timeout)),
    // and each fragment after the first to follow; the whole message, once begun, at most
    // answerTime(timeout, its size).
    std::chrono::milliseconds timeout{30000};
    // The data in each fragment sent. The handheld sends 1024; desktops send 512, because handhelds
    // were seen to drop the connection behind 1024-byte fragments (likely unable to get their own
    // acknowledgements out in time).
    std::size_t fragmentSize = 512;
    uint32_t maxMessage = kPadpMaxMessage;
};

class PadpLink_t {
public:
    PadpLink_t(ByteStream_t& stream, PadpOptions_t options);

    // Sends one message, waiting for each fragment's acknowledgement.
    // @exception LinkError_t when a fragment is not acknowledged after all tries, or the peer
    // aborts; ProtocolError_t when the peer says it had no memory for the message.
    void send(uint8_t transaction, std::string_view message);
    // Writes a one-fragment message once, without waiting for its acknowledgement (a handheld's
    // CMP wakeup, which it repeats until the desktop answers).
    void post(uint8_t transaction, std::string_view message);
    // The next whole message, every fragment acknowledged and duplicates dropped.
    // @exception LinkError_t when nothing comes within the timeout, ProtocolError_t for fragments
    // that do not add up to a message within the bounds.
    Frame_t receive();
    // The same, but nothing when no message has begun by `deadline`.
    std::optional<Frame_t> receiveUntil(Deadline_t deadline);

    // Tells the peer that this end is busy but alive; never acknowledged. Safe from another thread.
    void tickle();
    // The line just changed its rate: a handheld takes a moment to follow. For `window`, fragments
    // are sent again every 200 ms, and those tries do not count.
    void settle(std::chrono::milliseconds window);

    void setLongForm(bool agreed) { m_longForm = agreed; }
    bool longForm() const { return m_longForm; }
    // Whether an acknowledgement with this transaction id came since the link began.
    bool acknowledged(uint8_t transaction) const { return m_acked[transaction]; }

    ByteStream_t& stream() { return m_stream; }
    const SlpReader_t& reader() const { return m_reader; }
    uint64_t resent() const { return m_resent; }
    uint64_t duplicates() const { return m_duplicates; }

private:
    std::string peer() const; // in errors: "the handheld" or "the desktop"
    std::optional<PadpPacket_t> nextPacket(Deadline_t deadline);
    std::optional<Frame_t> receiveMessage(Deadline_t startBy, bool tickleExtends);
    bool awaitAck(const PadpPacket_t& fragment, bool lastFragment, Deadline_t deadline);
    bool isDuplicate(const PadpPacket_t& packet) const;
    void acknowledge(const PadpPacket_t& data);
    void writePacket(const PadpPacket_t& packet);

    ByteStream_t& m_stream;
    PadpOptions_t m_options;
    SlpReader_t m_reader;
    std::mutex m_writing;
    bool m_longForm = false;
    std::atomic<uint8_t> m_lastTransaction{0};
    std::optional<PadpPacket_t> m_lastData; // the last fragment acknowledged
    std::deque<PadpPacket_t> m_pending;     // an answer that came in place of its acknowledgement
    std::chrono::steady_clock::time_point m_settleUntil{};
    bool m_acked[256] = {};
    uint64_t m_resent = 0;
    uint64_t m_duplicates = 0;
    bool m_tickledOnly = false; // the last wait for a message ended with tickles at their longest
};

} // namespace dlp

#endif
