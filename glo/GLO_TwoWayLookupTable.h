#ifndef GLO_GLO_TWOWAYLOOKUPTABLE_H
#define GLO_GLO_TWOWAYLOOKUPTABLE_H

#include "glo/GLO_Exception.h"

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace glo {

// A table of (A, B) pairs searchable in both directions. No two rows share an A or a B, so each
// direction is a function. Lookups scan in insertion order.
template <class A, class B, class EqualA = std::equal_to<A>, class EqualB = std::equal_to<B>>
class TwoWayLookupTable_t : public std::vector<std::pair<A, B>> {
    using Base = std::vector<std::pair<A, B>>;

public:
    using typename Base::const_iterator;

    TwoWayLookupTable_t() = default;
    TwoWayLookupTable_t(const std::pair<A, B>* pairs, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            insert(pairs[i]);
    }
    virtual ~TwoWayLookupTable_t() = default;

    // Appends the pair; a duplicate in either column is a broken invariant.
    void insert(const std::pair<A, B>& pair) {
        if (findA(pair.first) != this->end() || findB(pair.second) != this->end())
            throw Assert_t("GLO_TwoWayLookupTable.h", 211);
        this->push_back(pair);
    }

    const_iterator findA(const A& a) const {
        for (auto it = this->begin(); it != this->end(); ++it)
            if (EqualA()(it->first, a))
                return it;
        return this->end();
    }
    const_iterator findB(const B& b) const {
        for (auto it = this->begin(); it != this->end(); ++it)
            if (EqualB()(it->second, b))
                return it;
        return this->end();
    }
};

} // namespace glo

#endif
