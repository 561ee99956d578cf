#ifndef DLP_DLP_TRANSPORT_H
#define DLP_DLP_TRANSPORT_H

#include "dlp/DLP_Errors.h"

#include <cstdint>
#include <string>

namespace dlp {

// One packet of the link: a transaction id and its payload.
struct Frame_t {
    uint8_t transaction = 0;
    std::string payload;
};

// What carries packets between desktop and handheld. Net Sync over TCP is one; the serial
// stacks would be others.
class Transport_t {
public:
    virtual ~Transport_t() = default;
    // @exception LinkError_t when the packet cannot be sent.
    virtual void send(const Frame_t& frame) = 0;
    // @exception LinkError_t when nothing whole arrives within the transport's time,
    // ProtocolError_t for a packet that breaks the framing.
    virtual Frame_t receive() = 0;
};

} // namespace dlp

#endif
