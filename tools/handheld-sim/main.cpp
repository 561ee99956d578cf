// pathlet-handheld-sim: a handheld set to network HotSync, for tests. It connects to a desktop,
// serves the .pdb files it was given, and fails on request.
#include "HandheldSimulator.h"
#include "host/arguments/UsageCheck.h"

#include "dlp/DLP_NetSync.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<sim::Database> databasesAt(const std::string& path) {
    std::vector<fs::path> files;
    if (fs::is_directory(path)) {
        for (const auto& entry : fs::directory_iterator(path))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else {
        files.push_back(path);
    }
    std::vector<sim::Database> databases;
    for (const fs::path& file : files)
        databases.push_back(sim::databaseFromPdb(contents(file), static_cast<uint16_t>(databases.size())));
    return databases;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App cli{"A handheld that HotSyncs over the network, for tests", "pathlet-handheld-sim"};
    cli.set_version_flag("--version", "pathlet-handheld-sim " PATHLET_VERSION);
    std::string connect = "127.0.0.1:" + std::to_string(dlp::kNetSyncPort), handheld, user;
    uint32_t userId = 0;
    double timeout = 30;
    sim::Faults faults;
    std::vector<std::string> errors;
    std::string lie;
    cli.add_option("--connect", connect,
                   "The desktop's ADDR:PORT (default 127.0.0.1:" + std::to_string(dlp::kNetSyncPort) + ")");
    cli.add_option("--handheld", handheld, "A .pdb file or a directory of them: the handheld's databases");
    cli.add_option("--user", user, "The handheld's HotSync user name (default: none yet)");
    cli.add_option("--user-id", userId, "The handheld's HotSync user id");
    cli.add_option("--timeout", timeout, "Seconds to wait for each request of the desktop (default 30)");
    cli.add_option("--drop-at", faults.dropAt, "Close the connection at this request (counted from 1)");
    cli.add_option("--stall-at", faults.stallAt, "Never answer this request");
    cli.add_option("--error", errors,
                   "FUNCTION=CODE: answer that function (hex, e.g. 17=5) with a DLP error");
    cli.add_option("--lie", lie,
                   "KIND@N: answer request N wrongly (transaction, function, oversized, short, garbage)");
    if (const auto status = cli::parseArguments(cli, argc, argv))
        return *status;
    try {
        for (const std::string& error : errors) {
            const auto equals = error.find('=');
            if (equals == std::string::npos)
                throw std::invalid_argument("--error takes FUNCTION=CODE, not " + error);
            faults.errors[static_cast<uint8_t>(std::stoul(error.substr(0, equals), nullptr, 16))] =
                static_cast<uint16_t>(std::stoul(error.substr(equals + 1)));
        }
        if (!lie.empty()) {
            const auto at = lie.find('@');
            const std::string kind = lie.substr(0, at);
            faults.lieAt = at == std::string::npos ? 1 : std::stoi(lie.substr(at + 1));
            using Lie = sim::Faults::Lie;
            faults.lie = kind == "transaction" ? Lie::WrongTransaction
                         : kind == "function"  ? Lie::WrongFunction
                         : kind == "oversized" ? Lie::Oversized
                         : kind == "short"     ? Lie::CutShort
                                               : Lie::Garbage;
        }
        sim::Facts facts;
        facts.user.name = user;
        facts.user.userId = userId;
        facts.system.romVersion = 0x05403017;
        facts.system.locale = 0x00010000;
        facts.system.productId = std::string("\0\0\0\x04", 4);
        facts.system.hasVersions = true;
        facts.system.dlpMajor = 1;
        facts.system.dlpMinor = 2;
        facts.system.compatMajor = 3;
        facts.system.largestRecord = 0xFFE1;
        if (!handheld.empty())
            facts.databases = databasesAt(handheld);
        sim::Simulator simulator(std::move(facts));
        const dlp::Endpoint_t endpoint = dlp::parseEndpoint(connect, dlp::kNetSyncPort);
        const auto wait = dlp::Timeout_t(static_cast<long long>(timeout * 1000));
        dlp::NetSyncTransport_t transport(dlp::connectTo(endpoint, wait), wait);
        try {
            simulator.serve(transport, faults);
        } catch (const dlp::LinkError_t& e) {
            if (!simulator.ended())
                throw;
        }
        for (const std::string& line : simulator.syncLog())
            std::cout << "log: " << line << "\n";
        std::cout << simulator.recordsRead() << " records read, " << simulator.requests() << " requests\n";
        if (!simulator.ended()) {
            std::cerr << "pathlet-handheld-sim: the sync did not end\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "pathlet-handheld-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
