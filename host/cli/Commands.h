#ifndef HOST_CLI_COMMANDS_H
#define HOST_CLI_COMMANDS_H

// The commands of `pathlet`. Each adds itself, with its options, to the program's parser and
// returns what runs it; `main` only assembles them.

#include <CLI/CLI.hpp>

#include <functional>

namespace host {

struct Command_t {
    CLI::App* parser = nullptr; // chosen when parser->parsed()
    std::function<int()> run;   // returns the process's exit status
};

Command_t addHotSyncCommand(CLI::App& program);
Command_t addSyncCommand(CLI::App& program);
Command_t addUsersCommand(CLI::App& program);
Command_t addConfigureCommand(CLI::App& program);
Command_t addInfoCommand(CLI::App& program);
Command_t addDemoCommand(CLI::App& program);
Command_t addDumpCommand(CLI::App& program);
Command_t addExportCommand(CLI::App& program);
Command_t addPlotCommand(CLI::App& program);

} // namespace host

#endif
