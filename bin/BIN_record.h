#ifndef BIN_BIN_RECORD_H
#define BIN_BIN_RECORD_H

#include "bin/BIN_stream.h"

namespace bin {

// A typed, length-framed block of bytes. Filled through the basic_ostream insertions, then framed
// onto another stream as: u32 payload length (little-endian, counting neither itself nor the type),
// the type byte, the payload. Records follow each other without gaps.
class record_t : public basic_stringstream {
public:
    explicit record_t(char type) : m_type(type) {}
    char type() const { return m_type; }

private:
    char m_type;
};

} // namespace bin

#endif
