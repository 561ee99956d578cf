#ifndef HOST_PLATFORM_TERMINALDIALOG_H
#define HOST_PLATFORM_TERMINALDIALOG_H

#include "app/HostInterface.h"

#include <istream>
#include <optional>
#include <ostream>

namespace host {

// How the configuration dialog is answered: by flags, or by lines read from standard input
// (a terminal or a script).
struct DialogScript {
    std::optional<int> action;       // 2 or 6: select that radio button
    std::optional<bool> makeDefault; // set or clear the check box
    bool cancel = false;             // press Cancel instead of OK
    bool interactive = true;         // ask (when no flag answers the dialog)
};

// The conduit's dialog shown in the terminal, answered as the script says (one at a time).
app::DialogPresenter terminalDialog(const DialogScript& script, std::istream& in, std::ostream& out);

} // namespace host

#endif
