#ifndef GLO_GLO_NONCOPYABLE_H
#define GLO_GLO_NONCOPYABLE_H

namespace glo {

// Base of objects that hold a resource and must be neither copied nor assigned.
class NonCopyable_t {
protected:
    NonCopyable_t() = default;
    ~NonCopyable_t() = default;

public:
    NonCopyable_t(const NonCopyable_t&) = delete;
    NonCopyable_t& operator=(const NonCopyable_t&) = delete;
};

} // namespace glo

#endif
