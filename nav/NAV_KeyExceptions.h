#ifndef NAV_NAV_KEYEXCEPTIONS_H
#define NAV_NAV_KEYEXCEPTIONS_H

#include "glo/GLO_Exception.h"
#include "nav/NAV_Key.h"

namespace nav {

// "<text form> already exists."
class KeyExists_t : public glo::Exception_t {
public:
    KeyExists_t(const Key_t& key, const char* source, int line)
        : glo::Exception_t(source, line, key.text() + " already exists.") {}
};

// "<text form> does not exist."
class KeyNotFound_t : public glo::Exception_t {
public:
    KeyNotFound_t(const Key_t& key, const char* source, int line)
        : glo::Exception_t(source, line, key.text() + " does not exist.") {}
};

} // namespace nav

#endif
