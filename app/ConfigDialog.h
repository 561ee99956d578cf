#ifndef APP_CONFIGDIALOG_H
#define APP_CONFIGDIALOG_H

#include "app/HostInterface.h"

#include <cstdint>

namespace app {

// Control identifiers of the configuration dialog (template 103 of the language library).
enum ConfigControl : int {
    kRadioHandheldToDesktop = 1012,
    kRadioDoNothing = 1013,
    kButtonHelp = 1014,
    kCheckMakeDefault = 1016,
    kPictureTop = 1023,
    kPictureSide = 1025,
};

// Returns the presenter it replaces.
DialogPresenter setDialogPresenter(DialogPresenter presenter);

// The dialog in which the user chooses the action of the next HotSync (2 handheld to desktop,
// 6 do nothing) and whether it becomes the default.
class ConfigDialog_t {
public:
    explicit ConfigDialog_t(int32_t action) : m_action(action) {}
    virtual ~ConfigDialog_t() = default;

    // True when the dialog ended with OK. A dialog that cannot be shown ends without OK.
    bool doModal();

    int32_t action() const { return m_action; }
    bool makeDefault() const { return m_makeDefault; }

protected:
    // Selects the radio button of the action (6: do nothing, anything else: handheld to desktop).
    virtual void onInitDialog(DialogControls_t& controls);
    // Takes the chosen action and the check box.
    virtual void onOK(const DialogControls_t& controls);

private:
    int32_t m_action;
    bool m_makeDefault = false;
};

} // namespace app

#endif
