// Arbitrary bytes as everything a handheld sends in a network HotSync (Net Sync framing, as over
// TCP or USB): the handshake, then its answers to each request of a whole HotSync through the
// conduit, so that a lying handheld's effect on the whole exchange is tried, not one frame alone.
// Once the input is used up the handheld has hung up. Every outcome is fine but a crash, a leak,
// undefined behaviour or a blow-up of memory.
#include "FuzzMemory.h"
#include "FuzzSession.h"
#include "FuzzStream.h"

#include "dlp/DLP_NetSync.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A frame at the protocol's limit and its copies, and the conduit's fixed costs (its database,
    // the HotSync log, the desktop file written): the points read cost a few times their bytes.
    const fuzzing::MemoryBound_t bound(size, 64, 4 * 1024 * 1024);
    fuzzing::runHotSync(
        std::make_unique<dlp::NetSyncTransport_t>(
            std::make_unique<fuzzing::FuzzStream_t>(fuzzing::asText(data, size)), dlp::Timeout_t(1000)),
        true);
    return 0;
}
