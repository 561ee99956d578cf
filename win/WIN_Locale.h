#ifndef WIN_WIN_LOCALE_H
#define WIN_WIN_LOCALE_H

#include "glo/GLO_Locale.h"

#include <cstdint>

namespace win {

// The system's default locale: language, country and ANSI code page, read once per process.
const glo::LocaleDescription_t& DefaultLocale();

// Where the system has no ANSI code page of its own (POSIX), the host says which one the
// handheld's names use; 1252 unless set. The default locale is read again afterwards. Returns
// the code page it replaces (Windows: the system's own, which nothing replaces).
uint32_t setAnsiCodePage(uint32_t codePage);

// Makes the default locale the runtime's locale for the text services (the start-up step that
// sets the C runtime's locale). @exception glo::LocaleDoesNotExist_t if no locale can be built.
void applyDefaultLocale();

} // namespace win

#endif
