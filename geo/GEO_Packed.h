#ifndef GEO_GEO_PACKED_H
#define GEO_GEO_PACKED_H

#include "glo/GLO_Optional.h"

#include <cstring>
#include <optional>
#include <type_traits>

namespace geo {

// A value kept as its bytes, aligned to nothing: a structure made of these has no padding. Tracks
// hold millions of points, and a point made of these takes in memory the 31 bytes it takes in the
// record file, laid out as the file lays it out.
template <class T> class Packed_t {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    Packed_t() = default;
    Packed_t(const T& value) { std::memcpy(m_bytes, &value, sizeof(T)); }
    operator T() const {
        T value;
        std::memcpy(&value, m_bytes, sizeof(T));
        return value;
    }

private:
    unsigned char m_bytes[sizeof(T)] = {};
};

// An optional value kept as a presence byte (1 or 0) and the value's bytes, all zero when it is
// absent. It reads like glo::Optional_t and converts to and from it.
template <class T> class PackedOptional_t {
public:
    PackedOptional_t() = default;
    PackedOptional_t(const T& value) : m_present(1), m_value(value) {}
    PackedOptional_t(const glo::Optional_t<T>& value) {
        if (value.present())
            set(value.get());
    }
    PackedOptional_t(std::nullopt_t) {}

    bool present() const noexcept { return m_present != 0; }
    explicit operator bool() const noexcept { return present(); }

    // An absent value fails exactly as glo::Optional_t's does.
    T get() const {
        if (!present())
            return glo::Optional_t<T>().get();
        return m_value;
    }
    T operator*() const { return get(); }

    void set(const T& value) {
        m_present = 1;
        m_value = value;
    }
    void reset() noexcept { *this = PackedOptional_t(); }

    operator glo::Optional_t<T>() const {
        return present() ? glo::Optional_t<T>(static_cast<T>(m_value)) : glo::Optional_t<T>();
    }

    friend bool operator==(const PackedOptional_t& a, const PackedOptional_t& b) {
        return static_cast<glo::Optional_t<T>>(a) == static_cast<glo::Optional_t<T>>(b);
    }
    friend bool operator<(const PackedOptional_t& a, const PackedOptional_t& b) {
        return static_cast<glo::Optional_t<T>>(a) < static_cast<glo::Optional_t<T>>(b);
    }

private:
    unsigned char m_present = 0;
    Packed_t<T> m_value;
};

} // namespace geo

#endif
