#include "dlp/DLP_Cmp.h"

#include "dlp/DLP_Bytes.h"

#include <algorithm>
#include <thread>

namespace dlp {

std::string encodeCmp(const CmpPacket_t& packet) {
    Writer_t out;
    out.u8(packet.type).u8(packet.flags).u8(packet.major).u8(packet.minor).u16(0).u32(packet.rate);
    return out.take();
}

CmpPacket_t decodeCmp(std::string_view bytes) {
    Reader_t in(bytes, "a CMP packet");
    CmpPacket_t packet;
    packet.type = in.u8();
    packet.flags = in.u8();
    packet.major = in.u8();
    packet.minor = in.u8();
    in.skip(2);
    packet.rate = in.u32();
    in.end();
    return packet;
}

uint32_t chooseRate(uint32_t handheldRate, uint32_t desktopMaximum, const std::vector<uint32_t>& supported) {
    const uint32_t most = std::min(handheldRate, desktopMaximum);
    uint32_t chosen = kCmpFirstRate;
    for (const uint32_t rate : supported)
        if (rate <= most && rate > chosen)
            chosen = rate;
    return chosen;
}

CmpPacket_t desktopInit(const CmpPacket_t& wakeUp, uint32_t rate) {
    (void)wakeUp; // the INIT says the desktop's version, whatever the handheld's
    CmpPacket_t init;
    init.type = kCmpInit;
    init.flags = kCmpLongPadp;
    init.major = 1;
    init.minor = 1;
    if (rate != kCmpFirstRate) {
        init.flags |= kCmpChangeRate;
        init.rate = rate;
    }
    return init;
}

CmpResult_t acceptWakeUp(PadpLink_t& link, const CmpOptions_t& options, const RateChange_t& changeRate) {
    const Frame_t first = link.receive();
    if (first.transaction != kCmpTransaction)
        throw ProtocolError_t("the handheld began with transaction " + std::to_string(first.transaction) +
                              ", not with a CMP wakeup");
    CmpResult_t result;
    result.wakeUp = decodeCmp(first.payload);
    if (result.wakeUp.type != kCmpWakeUp)
        throw ProtocolError_t("the handheld began with CMP packet type " +
                              std::to_string(result.wakeUp.type) + ", not with a wakeup");
    if (result.wakeUp.major != 1) {
        CmpPacket_t abort;
        abort.type = kCmpAbort;
        abort.flags = kCmpVersionMismatch;
        // Said once: a handheld that cannot speak with us need not acknowledge it.
        link.post(kCmpTransaction, encodeCmp(abort));
        throw ProtocolError_t("the handheld speaks CMP " + std::to_string(result.wakeUp.major) + "." +
                              std::to_string(result.wakeUp.minor) + "; this desktop knows version 1 only");
    }
    result.rate = chooseRate(result.wakeUp.rate, options.maxRate, options.rates);
    result.init = desktopInit(result.wakeUp, result.rate);
    link.send(kCmpTransaction, encodeCmp(result.init));
    result.longForm = (result.wakeUp.flags & kCmpLongPadp) && (result.init.flags & kCmpLongPadp);
    link.setLongForm(result.longForm);
    if (result.rate != kCmpFirstRate && changeRate) {
        changeRate(result.rate);
        std::this_thread::sleep_for(options.switchPause);
        link.settle(options.settleWindow);
    }
    return result;
}

} // namespace dlp
