#ifndef NAV_NAV_BASICTABLE_H
#define NAV_NAV_BASICTABLE_H

#include "nav/NAV_KeyExceptions.h"

#include <map>
#include <utility>

namespace nav {

// A keyed table: objects by value under their identifiers, in identifier order (names without
// regard to letter case).
template <class Id, class Object> class BasicTable_t : public std::map<Id, Object> {
public:
    // Moves the object stored under oldId to newId. Equal identifiers (letter case aside) leave the
    // table as it is. @exception KeyExists_t when newId is taken (checked first), KeyNotFound_t when
    // oldId is missing; the table is unchanged then.
    virtual void rename(const Id& oldId, const Id& newId) {
        if (!(oldId < newId) && !(newId < oldId))
            return;
        if (this->find(newId) != this->end())
            throw KeyExists_t(newId, "NAV_BasicTable.h", 43);
        auto found = this->find(oldId);
        if (found == this->end())
            throw KeyNotFound_t(oldId, "NAV_BasicTable.h", 49);
        std::pair<Id, Object> moved(newId, std::move(found->second));
        this->erase(found);
        this->insert(std::move(moved));
    }
};

} // namespace nav

#endif
