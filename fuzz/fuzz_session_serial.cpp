// Arbitrary bytes as everything a handheld sends on a serial line (a cradle, the kernel's tty of a
// USB handheld, the bulk endpoints of one that speaks the serial stack): the line waits for it and
// tells its stack from its first bytes; on the serial stack CMP runs and DLP rides on PADP and SLP,
// on Net Sync framing the handshake follows; then a whole HotSync through the conduit. The first
// byte sets how many bytes each read gives (0: all the reader takes). Once the input is used up the
// handheld has hung up, so no wait of the link runs out its time.
#include "FuzzMemory.h"
#include "FuzzSession.h"
#include "FuzzStream.h"

#include "dlp/DLP_SerialAccept.h"

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const fuzzing::MemoryBound_t bound(size, 64, 4 * 1024 * 1024);
    fuzzing::FuzzStream_t stream(fuzzing::asText(data + 1, size - 1), data[0]);
    dlp::SerialOptions_t options;
    options.tickleEvery = std::chrono::milliseconds(0); // no timer thread: the desktop is never idle here
    options.nudgeAfter = std::chrono::milliseconds(0);
    dlp::AcceptedLink_t link;
    try {
        link = dlp::acceptOnStream(stream, options, {});
    } catch (const dlp::LinkError_t&) {
        return 0;
    } catch (const dlp::ProtocolError_t&) {
        return 0;
    }
    if (link.transport)
        fuzzing::runHotSync(std::move(link.transport), link.kind == dlp::LinkKind_t::NetSync);
    return 0;
}
