#ifndef GLO_GLO_AUTOPTR_H
#define GLO_GLO_AUTOPTR_H

#include "glo/GLO_Exception.h"

#include <memory>

namespace glo {

// Owning pointer to a polymorphic object that copies itself through its virtual `clone()`,
// which returns a std::unique_ptr<T>.
template <class T> class AutoPtr_t {
public:
    AutoPtr_t() = default;
    explicit AutoPtr_t(std::unique_ptr<T> object) : m_object(std::move(object)) {}
    AutoPtr_t(const AutoPtr_t& other) : m_object(other.required().clone()) {}
    AutoPtr_t(AutoPtr_t&&) noexcept = default;
    AutoPtr_t& operator=(const AutoPtr_t& other) {
        if (this != &other)
            m_object = other.required().clone();
        return *this;
    }
    AutoPtr_t& operator=(AutoPtr_t&&) noexcept = default;

    // The object; a missing one is a broken invariant.
    T& required() const {
        if (!m_object)
            throw Assert_t("GLO_AutoPtr.h", 133);
        return *m_object;
    }
    T* get() const noexcept { return m_object.get(); }
    void reset(std::unique_ptr<T> object = nullptr) noexcept { m_object = std::move(object); }

private:
    std::unique_ptr<T> m_object;
};

} // namespace glo

#endif
