#ifndef GLO_GLO_SMARTPTR_H
#define GLO_GLO_SMARTPTR_H

#include <cstdint>

namespace glo {

// Intrusive reference count for objects shared through SmartPtr_t.
class RefCounter_t {
public:
    RefCounter_t() = default;
    RefCounter_t(const RefCounter_t&) : m_count(0) {}
    RefCounter_t& operator=(const RefCounter_t&) { return *this; }
    virtual ~RefCounter_t() = default;

    void addRef() noexcept { ++m_count; }
    // Returns true when the last reference went away.
    bool release() noexcept { return --m_count == 0; }
    int32_t count() const noexcept { return m_count; }

private:
    int32_t m_count = 0;
};

// Shared owner of a RefCounter_t-derived object: the object is destroyed with its last owner.
template <class T> class SmartPtr_t {
public:
    SmartPtr_t() = default;
    explicit SmartPtr_t(T* object) : m_object(object) { acquire(); }
    SmartPtr_t(const SmartPtr_t& other) : m_object(other.m_object) { acquire(); }
    SmartPtr_t(SmartPtr_t&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    SmartPtr_t& operator=(SmartPtr_t other) noexcept {
        T* old = m_object;
        m_object = other.m_object;
        other.m_object = old;
        return *this;
    }
    ~SmartPtr_t() { releaseObject(); }

    T* get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    void reset() noexcept {
        releaseObject();
        m_object = nullptr;
    }

private:
    void acquire() noexcept {
        if (m_object)
            m_object->addRef();
    }
    void releaseObject() noexcept {
        if (m_object && m_object->release())
            delete m_object;
    }
    T* m_object = nullptr;
};

} // namespace glo

#endif
