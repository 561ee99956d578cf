#ifndef DLP_DLP_BOUNDEDSTREAM_H
#define DLP_DLP_BOUNDEDSTREAM_H

#include "dlp/DLP_ByteStream.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace dlp {

// One session's bytes, bounded as a whole: the desktop waits for the peer, in reads and writes
// together, at most `base` plus a second for every kSlowestBytesPerSecond bytes the peer sent.
// Time the desktop spends on its own work between two requests does not count, so a large
// HotSync is never cut for the desktop's slowness; a peer that answers each request just in time,
// or trickles its bytes, runs out. Every wait on the stream is shortened to what is left.
class BoundedStream_t : public ByteStream_t {
public:
    // What buys the session time: every byte read (Net Sync framing, where every byte belongs to a
    // frame), or only what the transport above says it took as messages (the serial stack, where
    // noise, tickles and repeated fragments are skipped and must not count).
    enum class Credit_t { EveryByte, Told };

    BoundedStream_t(std::unique_ptr<ByteStream_t> inner, Timeout_t base,
                    Credit_t credit = Credit_t::EveryByte);
    // Reads through `inner`, which must outlive this stream.
    BoundedStream_t(ByteStream_t& inner, Timeout_t base, Credit_t credit = Credit_t::EveryByte);

    // With Credit_t::Told: `bytes` of the peer's messages came.
    void credit(std::size_t bytes) { m_received += bytes; }

    // @exception LinkError_t as the inner stream's, or saying the session took all its time.
    void write(std::string_view bytes, Timeout_t timeout) override;
    std::size_t readSome(char* data, std::size_t capacity, Timeout_t timeout) override;
    std::string describe() const override { return m_inner.describe(); }

    // What the peer may still make the desktop wait (never below zero).
    Timeout_t left() const;
    // The bytes that bought the session time so far.
    uint64_t received() const { return m_received; }

private:
    template <class Wait> auto bounded(Timeout_t timeout, Wait&& wait);
    Timeout_t allowed() const;

    std::unique_ptr<ByteStream_t> m_owned;
    ByteStream_t& m_inner;
    Timeout_t m_base;
    Credit_t m_credit;
    // A tickle may be written from another thread while the session waits: both count.
    std::atomic<int64_t> m_waitedMicroseconds{0};
    std::atomic<uint64_t> m_received{0};
};

} // namespace dlp

#endif
