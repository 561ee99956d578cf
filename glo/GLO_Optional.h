#ifndef GLO_GLO_OPTIONAL_H
#define GLO_GLO_OPTIONAL_H

#include "glo/GLO_Exception.h"

#include <compare>
#include <optional>

namespace glo {

// A value that may be absent. Held inline; reading an absent value is a broken invariant
// (callers test presence first). Absent orders before any present value.
template <class T> class Optional_t {
public:
    Optional_t() = default;
    Optional_t(const T& value) : m_value(value) {}
    Optional_t(std::nullopt_t) {}

    bool present() const noexcept { return m_value.has_value(); }
    explicit operator bool() const noexcept { return present(); }

    const T& get() const {
        if (!m_value)
            throw Assert_t("GLO_Optional.h", 103);
        return *m_value;
    }
    const T& operator*() const { return get(); }

    void set(const T& value) { m_value = value; }
    void reset() noexcept { m_value.reset(); }

    friend bool operator==(const Optional_t& a, const Optional_t& b) { return a.m_value == b.m_value; }
    friend bool operator<(const Optional_t& a, const Optional_t& b) { return a.m_value < b.m_value; }

private:
    std::optional<T> m_value;
};

} // namespace glo

#endif
