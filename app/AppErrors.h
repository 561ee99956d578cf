#ifndef APP_APPERRORS_H
#define APP_APPERRORS_H

#include "glo/GLO_Exception.h"

#include <cstdint>

namespace app {

// A failed Sync Manager call; the code goes back to the host.
class ConError_t : public glo::Exception_t {
public:
    ConError_t(int32_t code, const char* source, int line) : glo::Exception_t(source, line), m_code(code) {}
    int32_t code() const { return m_code; }

private:
    int32_t m_code;
};

} // namespace app

#endif
