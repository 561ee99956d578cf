// Arbitrary bytes as what a handheld sends on a serial line: stack detection as a waiting line
// does it, SLP frames found in noise, PADP fragments put together into messages (each one
// acknowledged), and CMP packets. The first byte sets how many bytes each read gives (0: all it
// can), so that frames split across reads are tried too.
#include "FuzzMemory.h"
#include "FuzzStream.h"

#include "dlp/DLP_Cmp.h"
#include "dlp/DLP_Packet.h"
#include "dlp/DLP_Padp.h"
#include "dlp/DLP_Slp.h"
#include "dlp/DLP_StackDetection.h"

#include <cstdint>
#include <string>

namespace {

// As a line waiting for a handheld reads its first bytes: noise skipped until a stack is told.
void detect(std::string_view bytes) {
    std::string seen;
    for (const char byte : bytes) {
        seen.push_back(byte);
        for (;;) {
            const dlp::Detection_t detection = dlp::detectStack(seen);
            if (detection.kind == dlp::Detection_t::Skip) {
                seen.erase(0, std::min(detection.size, seen.size()));
                continue;
            }
            if (detection.kind != dlp::Detection_t::NeedMore)
                return;
            break;
        }
    }
}

// Every frame in the bytes, as the SLP reader scans them, each payload read as PADP and its data
// as CMP.
void scan(std::string_view bytes) {
    while (!bytes.empty()) {
        const dlp::SlpScan_t found = dlp::scanSlp(bytes);
        if (found.kind == dlp::SlpScan_t::NeedMore)
            return;
        if (found.kind == dlp::SlpScan_t::Frame) {
            try {
                const dlp::PadpPacket_t packet =
                    dlp::decodePadp(found.frame.transaction, found.frame.payload);
                dlp::decodeCmp(packet.data);
            } catch (const dlp::ProtocolError_t&) {
            }
        }
        if (found.size == 0 || found.size > bytes.size())
            __builtin_trap(); // the scan must always move on within the bytes
        bytes.remove_prefix(found.size);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The reader's buffer, one message at PADP's limit and its copies.
    const fuzzing::MemoryBound_t bound(size, 16, 4 * dlp::kPadpMaxMessage);
    const std::string_view input = fuzzing::asText(data + 1, size - 1);
    detect(input);
    scan(input);
    fuzzing::FuzzStream_t stream(input, data[0]);
    dlp::PadpLink_t link(stream, dlp::PadpOptions_t{});
    try {
        for (;;) {
            const dlp::Frame_t message = link.receive();
            try {
                if (message.transaction == dlp::kCmpTransaction)
                    dlp::decodeCmp(message.payload);
                else
                    dlp::decodeResponse(message.payload);
            } catch (const dlp::ProtocolError_t&) {
            }
        }
    } catch (const dlp::LinkError_t&) {
    } catch (const dlp::ProtocolError_t&) {
    }
    return 0;
}
