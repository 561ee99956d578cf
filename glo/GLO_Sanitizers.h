#ifndef GLO_GLO_SANITIZERS_H
#define GLO_GLO_SANITIZERS_H

// GLO_ADDRESS_SANITIZER is defined where the build runs under AddressSanitizer, whose allocator
// takes the place of the C library's: GCC says so with __SANITIZE_ADDRESS__, clang through
// __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define GLO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLO_ADDRESS_SANITIZER 1
#endif
#endif

#endif
