// pathlet info: what the conduit says about itself, asked through its entry points.
#include "host/cli/ActionNames.h"
#include "host/cli/Commands.h"

#include "app/ConduitApi.h"

#include <iostream>

namespace host {

namespace {

int runInfo() {
    char name[64];
    GetConduitName(name, sizeof name);
    std::cout << "Name:              " << name << "\n";
    std::cout << "Interface version: 0x" << std::hex << GetConduitVersion() << std::dec << "\n";
    const uint32_t request[2] = {1, 80};
    uint32_t nameSize = sizeof name;
    const int32_t nameResult = GetConduitInfo(0, request, name, &nameSize);
    std::cout << "Information 0:     " << (nameResult == 0 ? name : "(error)") << " (conduit name)\n";
    int32_t value = 0;
    const uint32_t four = 4;
    GetConduitInfo(1, nullptr, &value, &four);
    std::cout << "Information 1:     0x" << std::hex << value << std::dec << " (framework version)\n";
    GetConduitInfo(2, nullptr, &value, &four);
    std::cout << "Information 2:     " << value << " (default action: " << actionName(value) << ")\n";
    return 0;
}

} // namespace

Command_t addInfoCommand(CLI::App& program) {
    CLI::App* command = program.add_subcommand("info", "What the conduit says about itself");
    return {command, [] { return runInfo(); }};
}

} // namespace host
