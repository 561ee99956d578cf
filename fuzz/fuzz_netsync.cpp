// Arbitrary bytes as what a handheld sends over Net Sync framing (TCP, USB, a tty): the frames, and
// each payload as a Desktop Link answer with the values the desktop reads from answers. Protocol
// and link errors are fine; a crash, a leak, undefined behaviour or a blow-up of memory is not.
#include "FuzzMemory.h"
#include "FuzzStream.h"

#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_Packet.h"
#include "dlp/DLP_Values.h"

#include <cstdint>
#include <memory>

namespace {

void readValues(const dlp::Response_t& response) {
    const dlp::Argument_t* first = response.argument(dlp::kFirstArgument);
    if (!first)
        return;
    const dlp::Argument_t* second = response.argument(dlp::kFirstArgument + 1);
    // Each value on its own: a broken one must not hide what the others do with the same bytes.
    try {
        dlp::decodeUserInfo(first->data);
    } catch (const dlp::ProtocolError_t&) {
    }
    try {
        dlp::decodeSysInfo(first->data, second ? &second->data : nullptr);
    } catch (const dlp::ProtocolError_t&) {
    }
    try {
        dlp::decodeDbList(first->data);
    } catch (const dlp::ProtocolError_t&) {
    }
    try {
        dlp::decodeRecord(first->data);
    } catch (const dlp::ProtocolError_t&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One frame buffer at the protocol's limit, the answer and its values: a few copies of it.
    const fuzzing::MemoryBound_t bound(size, 8, 4 * dlp::kMaxPayload);
    dlp::NetSyncTransport_t transport(std::make_unique<fuzzing::FuzzStream_t>(fuzzing::asText(data, size)),
                                      dlp::Timeout_t(1000));
    try {
        for (;;) {
            const dlp::Frame_t frame = transport.receive();
            try {
                readValues(dlp::decodeResponse(frame.payload));
            } catch (const dlp::ProtocolError_t&) {
            }
            try {
                dlp::decodeRequest(frame.payload);
            } catch (const dlp::ProtocolError_t&) {
            }
        }
    } catch (const dlp::LinkError_t&) {
    } catch (const dlp::ProtocolError_t&) {
    }
    return 0;
}
