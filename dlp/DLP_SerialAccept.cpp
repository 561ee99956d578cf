#include "dlp/DLP_SerialAccept.h"

#include "dlp/DLP_BoundedStream.h"
#include "dlp/DLP_Bytes.h"
#include "dlp/DLP_NetSync.h"
#include "dlp/DLP_PrefixStream.h"
#include "dlp/DLP_Slp.h"

namespace dlp {

namespace {

using std::chrono::steady_clock;

// What the handheld's first bytes were, from the start of its first frame, and which stack.
struct Beginning_t {
    bool found = false;
    Detection_t::Kind_t kind = Detection_t::NeedMore;
    std::string bytes;
};

Beginning_t awaitBeginning(ByteStream_t& stream, const SerialOptions_t& options,
                           const std::function<bool()>& stopRequested) {
    Beginning_t beginning;
    const auto start = steady_clock::now();
    bool heard = false, nudged = false;
    char chunk[256];
    for (;;) {
        if (stopRequested && stopRequested())
            return beginning;
        std::optional<std::size_t> got;
        try {
            got = readUntil(stream, chunk, sizeof chunk, steady_clock::now() + options.poll);
        } catch (const LinkError_t&) {
            // A signal cuts a wait short, as the one that asks to stop does.
            if (stopRequested && stopRequested())
                return beginning;
            throw;
        }
        if (!got) {
            if (!heard && !nudged && options.nudgeAfter.count() > 0 &&
                steady_clock::now() - start >= options.nudgeAfter) {
                stream.write(fromHex("010000000000"), options.timeout);
                nudged = true;
            }
            continue;
        }
        heard = true;
        beginning.bytes.append(chunk, *got);
        for (;;) {
            const Detection_t detection = detectStack(beginning.bytes);
            if (detection.kind == Detection_t::Skip) {
                beginning.bytes.erase(0, std::min(detection.size, beginning.bytes.size()));
                continue;
            }
            if (detection.kind == Detection_t::NeedMore)
                break;
            beginning.found = true;
            beginning.kind = detection.kind;
            return beginning;
        }
    }
}

} // namespace

AcceptedLink_t acceptOnStream(ByteStream_t& stream, const SerialOptions_t& options,
                              const std::function<bool()>& stopRequested, const RateChange_t& changeRate) {
    AcceptedLink_t link;
    Beginning_t beginning = awaitBeginning(stream, options, stopRequested);
    if (!beginning.found)
        return link;
    if (beginning.kind == Detection_t::NetSyncHeaderless)
        beginning.bytes.insert(0, lostNetSyncHeader());
    // The session begins with the handheld's first frame, and is bounded as a whole from there.
    // On the serial stack only whole messages buy it time (SerialTransport_t says which).
    auto replayed = std::make_unique<BoundedStream_t>(
        std::make_unique<PrefixStream_t>(stream, std::move(beginning.bytes)), sessionBase(options.timeout),
        beginning.kind == Detection_t::SerialStack ? BoundedStream_t::Credit_t::Told
                                                   : BoundedStream_t::Credit_t::EveryByte);
    if (beginning.kind == Detection_t::SerialStack) {
        auto serial = std::make_unique<SerialTransport_t>(std::move(replayed), options);
        link.cmp = serial->connect(changeRate);
        link.kind = LinkKind_t::SerialStack;
        link.baud = link.cmp.rate;
        link.transport = std::move(serial);
    } else {
        link.kind = LinkKind_t::NetSync;
        link.transport = std::make_unique<NetSyncTransport_t>(std::move(replayed), options.timeout);
    }
    return link;
}

AcceptedLink_t acceptOnTty(TtyStream_t& tty, const SerialOptions_t& options,
                           const std::function<bool()>& stopRequested) {
    // The last session's last acknowledgement goes out at its rate before the line returns to 9600.
    tty.setBaud(kCmpFirstRate);
    tty.discardInput();
    AcceptedLink_t link =
        acceptOnStream(tty, options, stopRequested, [&tty](uint32_t rate) { tty.setBaud(rate); });
    link.baud = tty.baud();
    return link;
}

} // namespace dlp
