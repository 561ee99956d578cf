#ifndef DLP_DLP_BYTES_H
#define DLP_DLP_BYTES_H

#include "bin/BIN_Bytes.h"
#include "dlp/DLP_Errors.h"

#include <string>
#include <string_view>

namespace dlp {

// Bytes written as hex digits ("9001..."), for the fixed frames of the protocol.
std::string fromHex(std::string_view hex);

// Every number on the wire is big-endian.
class Writer_t : public bin::ByteWriter_t {
public:
    Writer_t() : ByteWriter_t(bin::ByteOrder_t::Big) {}
};

// Reads what came from the peer: every read is checked against the end, so no count the peer
// sends can make it read past what arrived, and bytes that are cut short or run long are the
// peer breaking the protocol (ProtocolError_t).
class Reader_t : public bin::BasicByteReader_t<ProtocolError_t> {
public:
    // `what` names the data in errors ("the user info").
    Reader_t(std::string_view data, std::string what)
        : BasicByteReader_t(data, std::move(what), bin::ByteOrder_t::Big) {}
};

} // namespace dlp

#endif
