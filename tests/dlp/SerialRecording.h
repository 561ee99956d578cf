#ifndef TESTS_DLP_SERIALRECORDING_H
#define TESTS_DLP_SERIALRECORDING_H

// A recorded serial session: the bytes each read and write moved, in order, and the SLP frames
// and PADP messages in them.
#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_Padp.h"
#include "dlp/DLP_Slp.h"

#include "Recording.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace serial_recording {

using recording::Chunk;

inline std::vector<Chunk> load(const std::string& name) {
    return recording::loadChunks(name);
}

// All bytes one side sent, joined.
inline std::string sentBy(const std::vector<Chunk>& chunks, bool handheld) {
    std::string bytes;
    for (const Chunk& chunk : chunks)
        if (chunk.fromHandheld == handheld)
            bytes += chunk.bytes;
    return bytes;
}

// The good frames in bytes, whole as they were on the line; loop-back frames left out.
inline std::vector<std::string> framesIn(std::string_view bytes) {
    std::vector<std::string> frames;
    while (!bytes.empty()) {
        const dlp::SlpScan_t scan = dlp::scanSlp(bytes);
        if (scan.kind == dlp::SlpScan_t::NeedMore)
            break;
        if (scan.kind == dlp::SlpScan_t::Frame && scan.frame.type != dlp::kSlpTypeLoopBack)
            frames.emplace_back(bytes.substr(0, scan.size));
        bytes.remove_prefix(scan.size);
    }
    return frames;
}

// Each frame once, in the order of its first appearance: the peers' timing repeated many.
inline std::vector<std::string> firstAppearances(const std::vector<std::string>& frames) {
    std::vector<std::string> once;
    for (const std::string& frame : frames)
        if (std::find(once.begin(), once.end(), frame) == once.end())
            once.push_back(frame);
    return once;
}

// The PADP data messages in frames, put together, each once, by transaction id.
inline std::vector<std::pair<uint8_t, std::string>> messagesIn(const std::vector<std::string>& frames) {
    std::vector<std::pair<uint8_t, std::string>> messages;
    std::string building;
    for (const std::string& wire : firstAppearances(frames)) {
        const dlp::SlpScan_t scan = dlp::scanSlp(wire);
        const dlp::PadpPacket_t packet = dlp::decodePadp(scan.frame.transaction, scan.frame.payload);
        if (packet.type != dlp::kPadpData)
            continue;
        if (packet.flags & dlp::kPadpFirst)
            building.clear();
        building += packet.data;
        if (packet.flags & dlp::kPadpLast)
            messages.emplace_back(packet.transaction, building);
    }
    return messages;
}

} // namespace serial_recording

#endif
