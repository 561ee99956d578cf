#ifndef HOST_ARGUMENTS_USAGECHECK_H
#define HOST_ARGUMENTS_USAGECHECK_H

// What the argument library does not say well: a word it does not know, named, with the closest
// one it does. Shared by the command-line programs.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace cli {

// Edit distance of two words (insertions, deletions, substitutions, swaps of neighbours).
std::size_t editDistance(const std::string& a, const std::string& b);

// The candidate closest to `word`, when it is close enough to be a likely typo.
std::optional<std::string> closest(const std::string& word, const std::vector<std::string>& candidates);

// The first argument that names no subcommand or option where it stands, as one sentence
// ("unknown command 'hotsnyc' (did you mean 'hotsync'?)"), or nothing when all are known.
std::optional<std::string> unknownArgument(CLI::App& app, int argc, const char* const* argv);

// "pathlet users add": the command and the commands it is part of.
std::string commandName(const CLI::App* app);

// The deepest command the arguments name ("pathlet users add" for "users add --id x Ann").
CLI::App* commandReached(CLI::App& app, int argc, const char* const* argv);

// Both at once: the first unknown argument, and the command reached before it.
std::optional<std::string> walkArguments(CLI::App& app, int argc, const char* const* argv,
                                         CLI::App*& reached);

// Parses the arguments: unknown words first (above), then the library's own checks. Returns the
// exit status when the program should stop: 0 after --help or --version, 2 after a usage error,
// which is one line on standard error naming the help of the command reached:
// "<program>: <what> (see <program> <command> --help)". Where the program has a "help" command,
// "help CMD..." shows the help of CMD.
std::optional<int> parseArguments(CLI::App& app, int argc, const char* const* argv);

} // namespace cli

#endif
