#include "win/WIN_FaultTranslation.h"

namespace win {

void installFaultTranslator() {}
void removeFaultTranslator() {}

void runTranslatingFaults(void (*body)(void*), void* context) {
    body(context);
}

} // namespace win
