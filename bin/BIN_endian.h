#ifndef BIN_BIN_ENDIAN_H
#define BIN_BIN_ENDIAN_H

#include <cstdint>
#include <cstring>

namespace bin {

// Little-endian encoding and decoding independent of the host's byte order.

inline void storeU16(unsigned char* out, uint16_t v) {
    out[0] = static_cast<unsigned char>(v);
    out[1] = static_cast<unsigned char>(v >> 8);
}
inline void storeU32(unsigned char* out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void storeU64(unsigned char* out, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void storeDouble(unsigned char* out, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    storeU64(out, bits);
}

inline uint16_t loadU16(const unsigned char* in) {
    return static_cast<uint16_t>(in[0] | (in[1] << 8));
}
inline uint32_t loadU32(const unsigned char* in) {
    return uint32_t{in[0]} | (uint32_t{in[1]} << 8) | (uint32_t{in[2]} << 16) | (uint32_t{in[3]} << 24);
}
inline int32_t loadI32(const unsigned char* in) {
    return static_cast<int32_t>(loadU32(in));
}
inline uint64_t loadU64(const unsigned char* in) {
    return uint64_t{loadU32(in)} | (uint64_t{loadU32(in + 4)} << 32);
}
inline double loadDouble(const unsigned char* in) {
    const uint64_t bits = loadU64(in);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
inline float loadFloat(const unsigned char* in) {
    const uint32_t bits = loadU32(in);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

} // namespace bin

#endif
