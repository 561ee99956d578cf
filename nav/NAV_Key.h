#ifndef NAV_NAV_KEY_H
#define NAV_NAV_KEY_H

#include <string>

namespace nav {

// Abstract base of the identifiers under which database objects are stored.
class Key_t {
public:
    virtual ~Key_t() = default;
    // "Track: ", "Route: " or "Waypoint: " followed by the name.
    virtual std::string text() const = 0;

protected:
    Key_t() = default;
    Key_t(const Key_t&) = default;
    Key_t& operator=(const Key_t&) = default;
    Key_t(Key_t&&) noexcept = default;
    Key_t& operator=(Key_t&&) noexcept = default;
};

} // namespace nav

#endif
