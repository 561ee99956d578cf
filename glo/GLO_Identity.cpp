#include "glo/GLO_Identity.h"

#ifndef PATHLET_BUILD_LABEL
#error "the build defines PATHLET_BUILD_LABEL, PATHLET_BUILD_DATE and PATHLET_BUILD_TIME"
#endif

namespace glo {

namespace {
constexpr BuildStamp_t kStamp = {PATHLET_BUILD_LABEL, PATHLET_BUILD_DATE, PATHLET_BUILD_TIME};
static_assert(sizeof(PATHLET_BUILD_LABEL) == 4, "the build label is three letters");
static_assert(sizeof(PATHLET_BUILD_DATE) == 12, "the build date has the form 'Jan 20 2004'");
static_assert(sizeof(PATHLET_BUILD_TIME) == 9, "the build time has the form '13:19:22'");
} // namespace

const BuildStamp_t& buildStamp() {
    return kStamp;
}

} // namespace glo
