#ifndef DLP_DLP_STACKDETECTION_H
#define DLP_DLP_STACKDETECTION_H

// Which packet stack a handheld speaks on a line that may carry either, told from its first bytes:
//  - the serial stack: a CMP wakeup in an SLP frame, BE EF ED 03 03 02 .. .. FF with a good sum;
//  - Net Sync framing: 01 .. 00 00 00 LL 90, the first frame of its handshake;
//  - Net Sync whose first frame lost its 6-byte header: 90 01 00 00 00 00 00 00 00 20.
// Anything else is skipped: one byte, three after a signature with a bad sum, ten after a good SLP
// header that is no wakeup.

#include <cstddef>
#include <string>
#include <string_view>

namespace dlp {

enum class LinkKind_t { SerialStack, NetSync };

// "the serial stack (SLP, PADP, CMP)", "Net Sync framing".
std::string linkKindName(LinkKind_t kind);

struct Detection_t {
    enum Kind_t {
        NeedMore,          // the bytes so far could begin either: read more
        Skip,              // drop `size` bytes and look again
        SerialStack,       // from the first byte on
        NetSync,           // from the first byte on
        NetSyncHeaderless, // from the first byte on, the first frame's header missing
    } kind = NeedMore;
    std::size_t size = 0;
};

Detection_t detectStack(std::string_view bytes);

// The header of the handheld's first Net Sync frame, for one that lost it.
std::string lostNetSyncHeader();

} // namespace dlp

#endif
