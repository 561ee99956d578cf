// pathlet: a desktop HotSync host for the Pathlet conduit. It runs the conduit against a handheld
// given as Palm database files, or one that presses its HotSync button, and a HotSync root
// directory on disk.
#include "host/arguments/UsageCheck.h"
#include "host/cli/Commands.h"
#include "host/cli/StandardOutput.h"
#include "host/hotsync/HotSync.h"

#include "glo/GLO_Exception.h"

#include <iostream>
#include <vector>

int main(int argc, char** argv) {
    CLI::App program{
        "pathlet: copies the track logs of a handheld to the desktop (a HotSync host for the Pathlet "
        "conduit)",
        "pathlet"};
    program.require_subcommand(1);
    program.set_version_flag("--version", "pathlet " PATHLET_VERSION);
    program.add_subcommand("help", "Show the help of a command: pathlet help export")->allow_extras();
    const std::vector<host::Command_t> commands{
        host::addHotSyncCommand(program),   host::addSyncCommand(program),   host::addUsersCommand(program),
        host::addConfigureCommand(program), host::addInfoCommand(program),   host::addDemoCommand(program),
        host::addDumpCommand(program),      host::addExportCommand(program), host::addPlotCommand(program),
    };
    if (const auto status = cli::parseArguments(program, argc, argv))
        return *status;
    try {
        for (const host::Command_t& command : commands)
            if (command.parser->parsed())
                return host::finishOutput(command.run());
    } catch (const host::ArgumentError& e) {
        std::cerr << "pathlet: " << e.what() << " (see "
                  << cli::commandName(cli::commandReached(program, argc, argv)) << " --help)\n";
        return 2;
    } catch (const glo::Exception_t& e) {
        std::cerr << "pathlet: " << e.source() << " line " << e.line() << ": " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "pathlet: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
