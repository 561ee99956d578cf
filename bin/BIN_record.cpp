#include "bin/BIN_record.h"

#include "glo/GLO_Exception.h"

#include <limits>

namespace bin {

basic_ostream& basic_ostream::operator<<(const record_t& record) {
    const std::string_view payload = record.view();
    if (payload.size() > std::numeric_limits<uint32_t>::max())
        throw glo::OutOfRange_t("BIN_record.cpp", 94);
    *this << static_cast<uint32_t>(payload.size()) << record.type();
    write(payload.data(), payload.size());
    // The record itself is left rewound, as after reading it out; its content stays.
    auto& source = const_cast<record_t&>(record);
    source.clear();
    source.rewind();
    return *this;
}

} // namespace bin
