#ifndef APP_MESSAGEBOX_H
#define APP_MESSAGEBOX_H

#include "app/HostInterface.h"

#include <string>

namespace app {

// The application's modal message box. Style 0 is a box with an OK button only. Hosts without
// windows install their own presenter; the default writes the text to standard error.
// Null restores the default; returns the presenter it replaces (null for the default).
MessageBoxPresenter setMessageBoxPresenter(MessageBoxPresenter presenter);
void showMessageBox(const std::string& text, unsigned style = 0);

} // namespace app

#endif
