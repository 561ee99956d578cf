#include "FuzzMemory.h"

#include "glo/GLO_Sanitizers.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#ifdef GLO_ADDRESS_SANITIZER
// The sanitizer runtime's allocator interface (GCC ships no header for it).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*onAllocate)(const volatile void*, std::size_t),
                                              void (*onFree)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void* pointer);
}
#endif

namespace fuzzing {

namespace {

std::atomic<long long> g_held{0};
std::atomic<long long> g_most{0};

#ifdef GLO_ADDRESS_SANITIZER
void onAllocate(const volatile void*, std::size_t size) {
    const long long held = g_held.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long most = g_most.load();
    while (held > most && !g_most.compare_exchange_weak(most, held)) {
    }
}

void onFree(const volatile void* pointer) {
    g_held.fetch_sub(static_cast<long long>(__sanitizer_get_allocated_size(pointer)));
}

// Installed once, before the first input; what was allocated before only lowers the count.
const bool g_installed = __sanitizer_install_malloc_and_free_hooks(onAllocate, onFree) != 0;
#endif

} // namespace

MemoryBound_t::MemoryBound_t(std::size_t inputSize, std::size_t perByte, std::size_t fixed)
    : m_allowed(inputSize * perByte + fixed), m_before(g_held.load()) {
    g_most = m_before;
}

MemoryBound_t::~MemoryBound_t() {
#ifdef GLO_ADDRESS_SANITIZER
    if (!g_installed)
        return;
    const long long cost = g_most.load() - m_before;
    if (cost > static_cast<long long>(m_allowed)) {
        std::fprintf(stderr, "==fuzz== an input held %lld bytes at once, more than the %zu it may\n", cost,
                     m_allowed);
        std::abort();
    }
#endif
}

} // namespace fuzzing
