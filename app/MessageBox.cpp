#include "app/MessageBox.h"

#include <cstdio>

namespace app {

namespace {
void toStandardError(const std::string& text, unsigned) {
    std::fprintf(stderr, "%s\n", text.c_str());
}
MessageBoxPresenter g_presenter = &toStandardError;
} // namespace

MessageBoxPresenter setMessageBoxPresenter(MessageBoxPresenter presenter) {
    const MessageBoxPresenter previous = g_presenter == &toStandardError ? nullptr : g_presenter;
    g_presenter = presenter ? presenter : &toStandardError;
    return previous;
}

void showMessageBox(const std::string& text, unsigned style) {
    g_presenter(text, style);
}

} // namespace app
