#include "app/MessageBox.h"

#include <cstdio>

namespace app {

namespace {
void toStandardError(const std::string& text, unsigned) {
    std::fprintf(stderr, "%s\n", text.c_str());
}
MessageBoxPresenter g_presenter = &toStandardError;
} // namespace

void setMessageBoxPresenter(MessageBoxPresenter presenter) {
    g_presenter = presenter ? presenter : &toStandardError;
}

void showMessageBox(const std::string& text, unsigned style) {
    g_presenter(text, style);
}

} // namespace app
