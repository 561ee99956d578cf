#ifndef DLP_DLP_ERRORS_H
#define DLP_DLP_ERRORS_H

#include <stdexcept>

namespace dlp {

// The link failed: closed, reset, silent past its time, or not there at all.
struct LinkError_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The peer broke the protocol: a frame or an answer that cannot be what it claims.
struct ProtocolError_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace dlp

#endif
