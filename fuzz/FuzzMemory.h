#ifndef FUZZ_FUZZMEMORY_H
#define FUZZ_FUZZMEMORY_H

// What one input may cost. Every parser here promises to hold at most a small multiple of what it
// was given, plus a fixed amount (one frame or message at the protocol's own limit, the conduit's
// caches): a peer that announces a large size without sending it must not make the desktop
// reserve it. The guard follows the heap while one input runs (through the sanitizer's allocation
// hooks) and aborts, which the fuzzer keeps as a crash, when the most bytes held at once beyond
// what was held before exceed `perByte` times the input's size plus `fixed`. Without
// AddressSanitizer (the regression replay of the normal build) it checks nothing.
#include <cstddef>

namespace fuzzing {

class MemoryBound_t {
public:
    MemoryBound_t(std::size_t inputSize, std::size_t perByte, std::size_t fixed);
    ~MemoryBound_t();
    MemoryBound_t(const MemoryBound_t&) = delete;
    MemoryBound_t& operator=(const MemoryBound_t&) = delete;

private:
    std::size_t m_allowed;
    long long m_before;
};

} // namespace fuzzing

#endif
