#ifndef TESTS_DLP_RECORDING_H
#define TESTS_DLP_RECORDING_H

// A recorded session: frames in order, each from the handheld ("read") or the desktop ("write").
#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_NetSync.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace recording {

// What one read or write of the recorded desktop moved.
struct Chunk {
    bool fromHandheld = false;
    std::string bytes;
};

inline std::vector<Chunk> loadChunks(const std::string& name) {
    std::ifstream in(std::string(PATHLET_RECORDINGS) + "/" + name);
    if (!in)
        throw std::runtime_error("no recording " + name);
    std::stringstream text;
    text << in.rdbuf();
    const std::string json = text.str();
    const std::regex entry(R"re(\{\s*"type":\s*"(read|write)",\s*"data":\s*"([0-9a-f]*)"\s*\})re");
    std::vector<Chunk> chunks;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), entry); it != std::sregex_iterator(); ++it)
        chunks.push_back({(*it)[1] == "read", dlp::fromHex((*it)[2].str())});
    return chunks;
}

struct Frame {
    bool fromHandheld = false;
    dlp::Frame_t frame;
    std::string wire; // the whole frame as it was on the wire
};

// A network session, whose every read and write moved one whole Net Sync frame.
inline std::vector<Frame> load(const std::string& name) {
    std::vector<Frame> frames;
    for (Chunk& chunk : loadChunks(name)) {
        Frame frame;
        frame.fromHandheld = chunk.fromHandheld;
        frame.wire = std::move(chunk.bytes);
        frame.frame.transaction = static_cast<uint8_t>(frame.wire.at(1));
        frame.frame.payload = frame.wire.substr(dlp::kFrameHeaderSize);
        frames.push_back(std::move(frame));
    }
    return frames;
}

} // namespace recording

#endif
