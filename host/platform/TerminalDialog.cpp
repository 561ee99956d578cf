#include "host/platform/TerminalDialog.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace host {

namespace {

DialogScript g_script;
std::istream* g_in = nullptr;
std::ostream* g_out = nullptr;

// One line of input without its surrounding blanks, lower case; nullopt at the end of input.
std::optional<std::string> readAnswer(const std::string& question) {
    *g_out << question << std::flush;
    std::string answer;
    if (!std::getline(*g_in, answer))
        return std::nullopt;
    const auto first = answer.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    answer = answer.substr(first, answer.find_last_not_of(" \t\r") - first + 1);
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return answer;
}

// Asks until the answer is one of `known` (Enter is ""); the end of input answers "".
std::string ask(const std::string& question, std::initializer_list<std::string_view> known,
                const std::string& hint) {
    for (;;) {
        const std::optional<std::string> answer = readAnswer(question);
        if (!answer) {
            *g_out << "\n";
            return {};
        }
        if (std::find(known.begin(), known.end(), *answer) != known.end())
            return *answer;
        *g_out << "'" << *answer << "' is not an answer here: " << hint << "\n";
    }
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
        const std::string answer = ask("Action [1/2, Enter keeps the selection]: ", {"", "1", "2"},
                                       "type 1 or 2, or press Enter to keep the selection");
        if (answer == "1" || answer == "2") {
            controls.handheldToDesktop = answer == "1";
            controls.doNothing = answer == "2";
        }
    }
    if (g_script.makeDefault) {
        controls.makeDefault = *g_script.makeDefault;
    } else if (g_script.interactive) {
        const std::string answer =
            ask("Make this the default? [y/N]: ", {"", "y", "yes", "n", "no"}, "type y or n (Enter is no)");
        controls.makeDefault = answer == "y" || answer == "yes";
    }
    if (g_script.cancel)
        return false;
    if (g_script.interactive) {
        const std::string answer =
            ask("OK or Cancel? [O/c]: ", {"", "o", "ok", "c", "cancel"}, "type o or c (Enter is OK)");
        if (answer == "c" || answer == "cancel")
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
