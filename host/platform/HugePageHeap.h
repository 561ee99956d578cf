#ifndef HOST_PLATFORM_HUGEPAGEHEAP_H
#define HOST_PLATFORM_HUGEPAGEHEAP_H

#include <cstdint>

namespace host {

// Readies the heap for a model of up to `bytes` that a command is about to build and keep until
// it ends: the model's blocks come from the heap (not a mapping each), the heap keeps what is freed,
// and its next `bytes` are advised for huge pages, so that the kernel hands the model out in 2 MB
// pages rather than one page fault per 4 KB. Only for a process that exits after its one model:
// the heap never shrinks afterwards. Returns whether the heap was readied; below a few huge pages,
// under AddressSanitizer (whose allocator ignores this) and off glibc, nothing is done. The model's
// bytes are the same either way; only the time to fault its pages in changes.
bool reserveHugePageHeap(uint64_t bytes);

} // namespace host

#endif
