#include "BedRecording.h"

#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Packet.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace bed {

std::vector<std::pair<bool, std::string>> loadRecording(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("no recording " + path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string json = text.str();
    // {"type": "read" | "write", "data": "hex"} in order; scanned by hand, as a regular
    // expression recurses once per character of the longest entry.
    std::vector<std::pair<bool, std::string>> entries;
    auto quoted = [&](std::size_t& at) {
        const std::size_t begin = json.find('"', json.find(':', at) + 1);
        const std::size_t end = json.find('"', begin + 1);
        if (begin == std::string::npos || end == std::string::npos)
            throw std::runtime_error(path + " is not a recorded session");
        at = end + 1;
        return json.substr(begin + 1, end - begin - 1);
    };
    for (std::size_t at = json.find("\"type\""); at != std::string::npos; at = json.find("\"type\"", at)) {
        const std::string type = quoted(at);
        at = json.find("\"data\"", at);
        if (at == std::string::npos || (type != "read" && type != "write"))
            throw std::runtime_error(path + " is not a recorded session");
        entries.emplace_back(type == "read", dlp::fromHex(quoted(at)));
    }
    if (entries.empty())
        throw std::runtime_error(path + " holds no recorded session");
    return entries;
}

sim::Facts factsFromRecording(const std::vector<std::pair<bool, std::string>>& entries) {
    // The frames of each side, the handheld's joined from the reads that carried them.
    std::vector<std::pair<bool, std::string>> frames;
    std::string pending;
    for (const auto& [fromHandheld, bytes] : entries) {
        if (!fromHandheld) {
            frames.emplace_back(false, bytes);
            continue;
        }
        pending += bytes;
        if (pending.size() >= dlp::kFrameHeaderSize &&
            pending.size() >=
                dlp::kFrameHeaderSize +
                    dlp::Reader_t(std::string_view(pending).substr(2, 4), "a frame length").u32()) {
            frames.emplace_back(true, pending);
            pending.clear();
        }
    }
    sim::Facts facts;
    std::map<uint8_t, std::string> open; // handle -> database name
    auto database = [&](const std::string& name) -> sim::Database& {
        for (sim::Database& known : facts.databases)
            if (known.info.name == name)
                return known;
        facts.databases.push_back({});
        facts.databases.back().info.name = name;
        return facts.databases.back();
    };
    int desktopFrames = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
        if (frames[i].first || !frames[i + 1].first || ++desktopFrames <= 2)
            continue; // the handshake's frames come first
        const std::string request = frames[i].second.substr(dlp::kFrameHeaderSize);
        const std::string answer = frames[i + 1].second.substr(dlp::kFrameHeaderSize);
        const dlp::Request_t asked = dlp::decodeRequest(request);
        const dlp::Response_t told = dlp::decodeResponse(answer);
        if (told.error || told.arguments.empty())
            continue;
        const std::string& first = told.arguments[0].data;
        switch (static_cast<dlp::Function>(asked.function)) {
        case dlp::Function::ReadSysInfo: {
            const dlp::Argument_t* versions = told.argument(dlp::kFirstArgument + 1);
            facts.system = dlp::decodeSysInfo(first, versions ? &versions->data : nullptr);
            break;
        }
        case dlp::Function::ReadUserInfo:
            facts.user = dlp::decodeUserInfo(first);
            break;
        case dlp::Function::ReadDBList:
            for (const dlp::DbInfo_t& info : dlp::decodeDbList(first).databases)
                database(info.name).info = info;
            break;
        case dlp::Function::OpenDB: {
            const std::string& name = asked.arguments.at(0).data;
            open[static_cast<uint8_t>(first.at(0))] = name.substr(2, name.find('\0', 2) - 2);
            break;
        }
        case dlp::Function::ReadAppBlock:
            database(open.at(static_cast<uint8_t>(asked.arguments.at(0).data.at(0)))).appBlock =
                first.substr(2);
            break;
        case dlp::Function::ReadRecord: {
            const dlp::Argument_t* byIndex = asked.argument(dlp::kFirstArgument + 1);
            if (!byIndex)
                break;
            sim::Database& read = database(open.at(static_cast<uint8_t>(byIndex->data.at(0))));
            dlp::Record_t record = dlp::decodeRecord(first);
            if (read.records.size() <= record.index)
                read.records.resize(record.index + 1u);
            read.records[record.index] = record;
            break;
        }
        default:
            break;
        }
    }
    return facts;
}

} // namespace bed
