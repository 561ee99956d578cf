// pathlet-pdbgen: writes handheld track databases (.pdb) for tests, the demo and benchmarks.
#include "host/arguments/UsageCheck.h"
#include "synth/SYN_Description.h"
#include "synth/SYN_PdbFile.h"
#include "synth/SYN_TrackLog.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    CLI::App cli{"Writes handheld track databases (TrackDB .pdb files)", "pathlet-pdbgen"};
    cli.require_subcommand(1);
    cli.set_version_flag("--version", "pathlet-pdbgen " PATHLET_VERSION);
    std::string output;

    auto* describe = cli.add_subcommand("describe", "From a text description of track logs");
    std::string descriptionFile;
    describe->add_option("description", descriptionFile, "Description file ('-' for standard input)")
        ->required();
    describe->add_option("-o,--output", output, "The .pdb to write")->required();

    auto* synth = cli.add_subcommand("synth", "Realistic walks, deterministic for a seed");
    int logs = 3, points = 500;
    uint16_t perRecord = 100;
    uint32_t seed = 1;
    synth->add_option("--logs", logs, "Number of track logs")->check(CLI::Range(0, 65535));
    synth->add_option("--points", points, "Points per log")->check(CLI::Range(1, 65535));
    synth->add_option("--per-record", perRecord, "Points per record")->check(CLI::Range(1, 4000));
    synth->add_option("--seed", seed, "Random seed");
    synth->add_option("-o,--output", output, "The .pdb to write")->required();

    if (const auto status = cli::parseArguments(cli, argc, argv))
        return *status;
    try {
        std::vector<std::string> records;
        if (describe->parsed()) {
            std::stringstream text;
            if (descriptionFile == "-") {
                text << std::cin.rdbuf();
            } else {
                std::ifstream in(descriptionFile);
                if (!in)
                    throw std::runtime_error("cannot read " + descriptionFile);
                text << in.rdbuf();
            }
            records = synth::recordsFromDescription(text.str());
        } else {
            for (const synth::TrackLog_t& log : synth::syntheticLogs(logs, points, perRecord, seed))
                for (std::string& record : synth::encodeTrackLog(log))
                    records.push_back(std::move(record));
        }
        synth::writeFile(output, synth::buildPdb("TrackDB", "Trck", "VTRK", records));
    } catch (const std::exception& e) {
        std::cerr << "pathlet-pdbgen: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
