#include "BedSerialLine.h"

#include "dlp/DLP_Errors.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace bed {

namespace {

class HandheldEnd_t : public dlp::ByteStream_t {
public:
    explicit HandheldEnd_t(std::shared_ptr<SerialLine_t::Shared_t> shared) : m_shared(std::move(shared)) {}

    void write(std::string_view bytes, dlp::Timeout_t) override {
        {
            const std::lock_guard<std::mutex> lock(m_shared->mutex);
            if (m_shared->closed)
                throw dlp::LinkError_t(m_shared->label + " is off the bus");
            m_shared->forDesktop.emplace_back(bytes);
        }
        // The bus takes its own lock and then the line's: never call it holding the line's.
        if (m_shared->wake)
            m_shared->wake();
    }

    std::size_t readSome(char* data, std::size_t capacity, dlp::Timeout_t timeout) override {
        std::unique_lock<std::mutex> lock(m_shared->mutex);
        if (!m_shared->arrived.wait_for(lock, timeout,
                                        [&] { return m_shared->closed || !m_shared->fromDesktop.empty(); }))
            throw dlp::LinkError_t("the desktop sent nothing to " + m_shared->label + " for " +
                                   std::to_string(timeout.count()) + " ms");
        if (m_shared->closed)
            throw dlp::LinkError_t(m_shared->label + " is off the bus");
        const std::size_t count = std::min(capacity, m_shared->fromDesktop.size());
        std::memcpy(data, m_shared->fromDesktop.data(), count);
        m_shared->fromDesktop.erase(0, count);
        return count;
    }

    std::string describe() const override { return m_shared->label; }

private:
    std::shared_ptr<SerialLine_t::Shared_t> m_shared;
};

} // namespace

SerialLine_t::SerialLine_t(std::string label, std::function<void()> wake)
    : m_shared(std::make_shared<Shared_t>()) {
    m_shared->label = std::move(label);
    m_shared->wake = std::move(wake);
}

std::unique_ptr<dlp::ByteStream_t> SerialLine_t::handheldEnd() const {
    return std::make_unique<HandheldEnd_t>(m_shared);
}

void SerialLine_t::fromDesktop(std::string_view bytes) {
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (m_shared->closed)
            return;
        m_shared->fromDesktop.append(bytes);
    }
    m_shared->arrived.notify_all();
}

std::deque<std::string> SerialLine_t::takeForDesktop() {
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return std::exchange(m_shared->forDesktop, {});
}

void SerialLine_t::close() {
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->closed = true;
    }
    m_shared->arrived.notify_all();
}

} // namespace bed
