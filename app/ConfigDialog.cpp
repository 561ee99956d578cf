#include "app/ConfigDialog.h"

#include "app/ConduitApi.h"
#include "win/WIN_FaultTranslation.h"

#include <cstring>
#include <utility>

namespace app {

namespace {
DialogPresenter g_presenter = nullptr;
} // namespace

DialogPresenter setDialogPresenter(DialogPresenter presenter) {
    return std::exchange(g_presenter, presenter);
}

void ConfigDialog_t::onInitDialog(DialogControls_t& controls) {
    if (m_action == kActionDoNothing)
        controls.doNothing = true;
    else
        controls.handheldToDesktop = true;
}

void ConfigDialog_t::onOK(const DialogControls_t& controls) {
    if (controls.makeDefault)
        m_makeDefault = true;
    m_action = controls.handheldToDesktop ? kActionHandheldToDesktop : kActionDoNothing;
}

bool ConfigDialog_t::doModal() {
    if (!g_presenter)
        return false;
    DialogControls_t controls;
    onInitDialog(controls);
    if (!g_presenter(controls))
        return false;
    onOK(controls);
    return true;
}

} // namespace app

namespace {

constexpr std::size_t kVersionOffset = 0;
constexpr std::size_t kCurrentActionOffset = 340;
constexpr std::size_t kChosenActionOffset = 344;
constexpr std::size_t kPreferenceOffset = 348;
constexpr int32_t kPreferenceDefault = 1;
constexpr int32_t kPreferenceNextOnly = 2;

int32_t readWord(const void* record, std::size_t offset) {
    int32_t value;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

void writeWord(void* record, std::size_t offset, int32_t value) {
    std::memcpy(static_cast<char*>(record) + offset, &value, sizeof value);
}

} // namespace

PATHLET_EXPORT int32_t CfgConduit(int32_t kind, void* record, const uint32_t* recordSize) {
    if (!record)
        return kErrNoRecord;
    if (!recordSize)
        return kErrNoRecordSize;
    if (*recordSize != kConfigRecordSize)
        return kErrBadRecordSize;
    if (kind != 0)
        return kErrBadConfigKind;
    if (readWord(record, kVersionOffset) != 1)
        return kErrBadRecordVersion;
    try {
        win::translatingFaults([&] {
            app::ConfigDialog_t dialog(readWord(record, kCurrentActionOffset));
            if (dialog.doModal()) {
                writeWord(record, kChosenActionOffset, dialog.action());
                writeWord(record, kPreferenceOffset,
                          dialog.makeDefault() ? kPreferenceDefault : kPreferenceNextOnly);
            }
        });
    } catch (...) {
        return -1;
    }
    return 0;
}
