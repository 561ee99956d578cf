#include "dlp/DLP_BoundedStream.h"

#include <algorithm>

namespace dlp {

namespace {

using std::chrono::steady_clock;

// Streams wait at least as long as asked; a few milliseconds cover their rounding.
constexpr std::chrono::milliseconds kRounding{5};

} // namespace

BoundedStream_t::BoundedStream_t(std::unique_ptr<ByteStream_t> inner, Timeout_t base, Credit_t credit)
    : m_owned(std::move(inner)), m_inner(*m_owned), m_base(base), m_credit(credit) {}

BoundedStream_t::BoundedStream_t(ByteStream_t& inner, Timeout_t base, Credit_t credit)
    : m_inner(inner), m_base(base), m_credit(credit) {}

Timeout_t BoundedStream_t::allowed() const {
    return m_base + Timeout_t(static_cast<Timeout_t::rep>(m_received.load() * 1000 / kSlowestBytesPerSecond));
}

Timeout_t BoundedStream_t::left() const {
    const auto waited = std::chrono::microseconds(m_waitedMicroseconds.load());
    const auto rest = allowed() - waited;
    return rest.count() > 0 ? std::chrono::floor<Timeout_t>(rest) : Timeout_t(0);
}

template <class Wait> auto BoundedStream_t::bounded(Timeout_t timeout, Wait&& wait) {
    const Timeout_t left = this->left();
    auto spent = [this] {
        return LinkError_t("the handheld kept the desktop waiting " + secondsText(allowed()) +
                           " in all, the most a session that sent " + std::to_string(m_received.load()) +
                           " bytes may take");
    };
    if (left.count() <= 0)
        throw spent();
    const auto start = steady_clock::now();
    auto account = [&] {
        m_waitedMicroseconds +=
            std::chrono::duration_cast<std::chrono::microseconds>(steady_clock::now() - start).count();
    };
    try {
        auto result = wait(std::min(timeout, left));
        account();
        return result;
    } catch (const LinkError_t&) {
        account();
        // The wait was cut short by what was left of the session's time, not by the link.
        if (left < timeout && steady_clock::now() + kRounding >= start + left)
            throw spent();
        throw;
    }
}

void BoundedStream_t::write(std::string_view bytes, Timeout_t timeout) {
    bounded(timeout, [&](Timeout_t wait) {
        m_inner.write(bytes, wait);
        return true;
    });
}

std::size_t BoundedStream_t::readSome(char* data, std::size_t capacity, Timeout_t timeout) {
    const std::size_t got =
        bounded(timeout, [&](Timeout_t wait) { return m_inner.readSome(data, capacity, wait); });
    if (m_credit == Credit_t::EveryByte)
        m_received += got;
    return got;
}

} // namespace dlp
