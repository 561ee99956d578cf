#include "host/platform/TerminalDialog.h"

#include <string>

namespace host {

namespace {

DialogScript g_script;
std::istream* g_in = nullptr;
std::ostream* g_out = nullptr;

std::string ask(const std::string& question) {
    *g_out << question << std::flush;
    std::string answer;
    if (!std::getline(*g_in, answer))
        return {};
    const auto first = answer.find_first_not_of(" \t\r");
    return first == std::string::npos ? std::string()
                                      : answer.substr(first, answer.find_last_not_of(" \t\r") - first + 1);
}

bool show(app::DialogControls_t& controls) {
    std::ostream& out = *g_out;
    out << "Pathlet: what should the next HotSync do?\n"
        << "  (" << (controls.handheldToDesktop ? '*' : ' ')
        << ") 1  Handheld overwrites desktop (copy the track logs)\n"
        << "  (" << (controls.doNothing ? '*' : ' ') << ") 2  Do nothing\n"
        << "  [" << (controls.makeDefault ? 'x' : ' ') << "]    Make this the default\n";

    if (g_script.action) {
        controls.handheldToDesktop = *g_script.action == 2;
        controls.doNothing = *g_script.action == 6;
    } else if (g_script.interactive) {
        const std::string answer = ask("Action [1/2, Enter keeps the selection]: ");
        if (answer == "1" || answer == "2") {
            controls.handheldToDesktop = answer == "1";
            controls.doNothing = answer == "2";
        }
    }
    if (g_script.makeDefault) {
        controls.makeDefault = *g_script.makeDefault;
    } else if (g_script.interactive) {
        const std::string answer = ask("Make this the default? [y/N]: ");
        controls.makeDefault = answer == "y" || answer == "Y" || answer == "yes";
    }
    if (g_script.cancel)
        return false;
    if (g_script.interactive) {
        const std::string answer = ask("OK or Cancel? [O/c]: ");
        if (answer == "c" || answer == "C" || answer == "cancel")
            return false;
    }
    return true;
}

} // namespace

app::DialogPresenter terminalDialog(const DialogScript& script, std::istream& in, std::ostream& out) {
    g_script = script;
    g_in = &in;
    g_out = &out;
    return &show;
}

} // namespace host
