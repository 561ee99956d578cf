#ifndef TOOLS_HANDHELDSIM_SLOWSTREAM_H
#define TOOLS_HANDHELDSIM_SLOWSTREAM_H

// A handheld that trickles: from its Nth write on, every byte goes out on its own, a gap apart,
// as a hostile or broken peer would send them to hold the desktop.
#include "dlp/DLP_ByteStream.h"

#include <memory>
#include <thread>

namespace sim {

class SlowStream : public dlp::ByteStream_t {
public:
    // `from` counts writes from 1; 0 never trickles.
    SlowStream(std::unique_ptr<dlp::ByteStream_t> inner, int from, std::chrono::milliseconds gap)
        : m_inner(std::move(inner)), m_from(from), m_gap(gap) {}

    void write(std::string_view bytes, dlp::Timeout_t timeout) override {
        if (m_from == 0 || ++m_writes < m_from) {
            m_inner->write(bytes, timeout);
            return;
        }
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i > 0)
                std::this_thread::sleep_for(m_gap);
            m_inner->write(bytes.substr(i, 1), timeout);
        }
    }
    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) override {
        return m_inner->readSome(data, capacity, timeout);
    }
    std::string describe() const override { return m_inner->describe(); }

private:
    std::unique_ptr<dlp::ByteStream_t> m_inner;
    int m_from;
    std::chrono::milliseconds m_gap;
    int m_writes = 0;
};

} // namespace sim

#endif
