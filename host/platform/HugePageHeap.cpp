#include "host/platform/HugePageHeap.h"

#include "glo/GLO_Sanitizers.h"

#if defined(__GLIBC__) && !defined(GLO_ADDRESS_SANITIZER)

#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace host {

namespace {

// Worth it from a few huge pages. The allocator's thresholds are ints: twice the most must fit.
constexpr uint64_t kLeast = uint64_t{8} << 20;
constexpr uint64_t kMost = uint64_t{512} << 20;

} // namespace

bool reserveHugePageHeap(uint64_t bytes) {
    if (bytes < kLeast)
        return false;
    const std::size_t size = static_cast<std::size_t>(bytes < kMost ? bytes : kMost);
    // Blocks of the whole size and more from the heap, and a freed top kept rather than given back,
    // so that the advised stretch below stays the heap's and the model is carved from it.
    const int beyond = static_cast<int>(2 * size);
    if (mallopt(M_MMAP_THRESHOLD, beyond) == 0 || mallopt(M_TRIM_THRESHOLD, beyond) == 0)
        return false;
    void* stretch = std::malloc(size);
    if (!stretch)
        return false;
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    const uint64_t start = reinterpret_cast<uintptr_t>(stretch);
    const uint64_t begin = (start + page - 1) / page * page;
    const uint64_t end = (start + size) / page * page;
    const bool advised = madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE) == 0;
    std::free(stretch); // back to the heap's top, where the model's blocks will come from
    return advised;
}

} // namespace host

#else

namespace host {

bool reserveHugePageHeap(uint64_t) {
    return false;
}

} // namespace host

#endif
