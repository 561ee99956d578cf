// The configuration dialog over the Win32 dialog functions, from template 103 of the language
// library.
#include "app/ConfigDialog.h"
#include "app/win32/Win32Framework.h"

#include <commctrl.h>
#include <exception>
#include <string>

namespace app {

namespace {

constexpr int kTemplate = 103;
constexpr int kBitmapTop = 1022;
constexpr int kBitmapSide = 1020;
constexpr UINT kHelpNotAvailable = 0xF107;

struct DialogState {
    DialogControls_t* controls;
    HBITMAP bitmaps[2] = {nullptr, nullptr};
    std::exception_ptr error;
};

// A bitmap of the language library with light grey shown in the button face colour.
HBITMAP showBitmap(HWND dialog, int bitmap, int control) {
    COLORMAP map = {RGB(0xC0, 0xC0, 0xC0), GetSysColor(COLOR_BTNFACE)};
    HBITMAP mapped = CreateMappedBitmap(resourceModule(), bitmap, 0, &map, 1);
    if (HWND picture = GetDlgItem(dialog, control)) {
        const LRESULT previous =
            SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(mapped));
        if (previous)
            DeleteObject(reinterpret_cast<HGDIOBJ>(previous));
    }
    return mapped;
}

// The module's help file: its own path with the extension ".HLP".
void showHelp(HWND dialog) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(moduleHandle(), path, MAX_PATH);
    std::string help(path);
    const auto dot = help.find_last_of('.');
    if (dot != std::string::npos && help.find_first_of("\\/", dot) == std::string::npos)
        help.erase(dot);
    help += ".HLP";
    if (!WinHelpA(dialog, help.c_str(), HELP_CONTENTS, 0)) {
        char text[256] = {};
        LoadStringA(resourceModule(), kHelpNotAvailable, text, sizeof text);
        MessageBoxA(dialog, text, "Pathlet", MB_OK | MB_ICONINFORMATION);
    }
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    try {
        if (message == WM_INITDIALOG) {
            state = reinterpret_cast<DialogState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            state->bitmaps[0] = showBitmap(dialog, kBitmapTop, kPictureTop);
            state->bitmaps[1] = showBitmap(dialog, kBitmapSide, kPictureSide);
            CheckDlgButton(dialog, state->controls->doNothing ? kRadioDoNothing : kRadioHandheldToDesktop,
                           BST_CHECKED);
            return TRUE;
        }
        if (message == WM_COMMAND && state) {
            switch (LOWORD(wParam)) {
            case IDOK:
                state->controls->makeDefault = IsDlgButtonChecked(dialog, kCheckMakeDefault) != 0;
                state->controls->handheldToDesktop = IsDlgButtonChecked(dialog, kRadioHandheldToDesktop) != 0;
                state->controls->doNothing = !state->controls->handheldToDesktop;
                EndDialog(dialog, IDOK);
                return TRUE;
            case IDCANCEL:
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            case kButtonHelp:
                if (HIWORD(wParam) == BN_CLICKED)
                    showHelp(dialog);
                return TRUE;
            default:
                break;
            }
        }
    } catch (...) {
        // Exceptions cannot cross the system's frames: keep it and end the dialog.
        if (state)
            state->error = std::current_exception();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

} // namespace

bool showWin32ConfigDialog(DialogControls_t& controls) {
    DialogState state{&controls, {nullptr, nullptr}, nullptr};
    const INT_PTR result = DialogBoxParamA(resourceModule(), MAKEINTRESOURCEA(kTemplate), GetActiveWindow(),
                                           &dialogProc, reinterpret_cast<LPARAM>(&state));
    for (HBITMAP bitmap : state.bitmaps)
        if (bitmap)
            DeleteObject(bitmap);
    if (state.error)
        std::rethrow_exception(state.error);
    return result == IDOK;
}

} // namespace app
