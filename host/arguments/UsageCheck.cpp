#include "host/arguments/UsageCheck.h"

#include <algorithm>
#include <iostream>

namespace cli {

std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::optional<std::string> closest(const std::string& word, const std::vector<std::string>& candidates) {
    std::optional<std::string> best;
    std::size_t bestDistance = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = editDistance(word, candidate);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

namespace {

std::string suggestion(const std::string& word, const std::vector<std::string>& candidates) {
    const auto best = closest(word, candidates);
    return best ? " (did you mean '" + *best + "'?)" : "";
}

} // namespace

std::string commandName(const CLI::App* app) {
    std::string path;
    for (; app; app = app->get_parent())
        path = app->get_name() + (path.empty() ? "" : " " + path);
    return path;
}

namespace {

bool hasSubcommand(const CLI::App& app, const std::string& name) {
    const auto subcommands = app.get_subcommands([](const CLI::App*) { return true; });
    return std::any_of(subcommands.begin(), subcommands.end(),
                       [&](const CLI::App* sub) { return sub->get_name() == name; });
}

std::vector<std::string> optionNames(const CLI::App* app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : app->get_options()) {
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
        for (const std::string& name : option->get_snames())
            names.push_back("-" + name);
    }
    return names;
}

} // namespace

std::optional<std::string> unknownArgument(CLI::App& app, int argc, const char* const* argv) {
    CLI::App* reached = nullptr;
    return walkArguments(app, argc, argv, reached);
}

CLI::App* commandReached(CLI::App& app, int argc, const char* const* argv) {
    CLI::App* reached = nullptr;
    walkArguments(app, argc, argv, reached);
    return reached;
}

std::optional<std::string> walkArguments(CLI::App& app, int argc, const char* const* argv,
                                         CLI::App*& reached) {
    CLI::App* current = &app;
    reached = current;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--")
            return std::nullopt;
        if (argument.size() > 1 && argument[0] == '-') {
            const bool isLong = argument.starts_with("--");
            const std::string name = isLong ? argument.substr(0, argument.find('=')) : argument.substr(0, 2);
            const CLI::Option* option = nullptr;
            for (const CLI::App* level = current; level && !option; level = level->get_parent())
                option = level->get_option_no_throw(name);
            if (!option)
                return "unknown option '" + name + "' for '" + commandName(current) + "'" +
                       suggestion(name, optionNames(current));
            const bool valueAttached = isLong ? argument.find('=') != std::string::npos : argument.size() > 2;
            if (option->get_items_expected_max() > 0 && !valueAttached)
                ++i; // its value
            continue;
        }
        const auto subcommands = current->get_subcommands([](const CLI::App*) { return true; });
        const auto named = std::find_if(subcommands.begin(), subcommands.end(),
                                        [&](const CLI::App* sub) { return sub->check_name(argument); });
        if (named != subcommands.end()) {
            current = const_cast<CLI::App*>(*named);
            reached = current;
            continue;
        }
        const bool takesValues =
            !current->get_options([](const CLI::Option* o) { return o->get_positional(); }).empty();
        if (!subcommands.empty() && !takesValues) {
            std::vector<std::string> names;
            for (const CLI::App* sub : subcommands)
                names.push_back(sub->get_name());
            return "unknown command '" + argument + "'" +
                   (current == &app ? std::string() : " for '" + commandName(current) + "'") +
                   suggestion(argument, names);
        }
    }
    return std::nullopt;
}

std::optional<int> parseArguments(CLI::App& app, int argc, const char* const* argv) {
    // "help CMD..." is "CMD... --help".
    std::vector<const char*> helpArguments;
    if (argc > 1 && std::string(argv[1]) == "help" && hasSubcommand(app, "help")) {
        helpArguments.assign(argv, argv + argc);
        helpArguments.erase(helpArguments.begin() + 1);
        helpArguments.push_back("--help");
        if (const auto unknown =
                unknownArgument(app, static_cast<int>(helpArguments.size()), helpArguments.data())) {
            std::cerr << app.get_name() << ": " << *unknown << " (see " << app.get_name() << " --help)\n";
            return 2;
        }
        argc = static_cast<int>(helpArguments.size());
        argv = helpArguments.data();
    }
    const std::string program = app.get_name();
    auto usageError = [&](const std::string& what) {
        // The help of the command the arguments reached says what it takes.
        std::cerr << program << ": " << what << " (see " << commandName(commandReached(app, argc, argv))
                  << " --help)\n";
        return 2;
    };
    // --help and --version win over everything else, as the library has them.
    bool asksForHelp = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--")
            break;
        asksForHelp |= argument == "--help" || argument == "-h" || argument == "--version";
    }
    if (!asksForHelp)
        if (const auto unknown = unknownArgument(app, argc, argv))
            return usageError(*unknown);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e); // --help or --version
        std::string what = e.what();
        if (!what.empty() && what.back() == '\n')
            what.pop_back();
        return usageError(what);
    }
    return std::nullopt;
}

} // namespace cli
