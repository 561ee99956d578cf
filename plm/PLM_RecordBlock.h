#ifndef PLM_PLM_RECORDBLOCK_H
#define PLM_PLM_RECORDBLOCK_H

#include <cstddef>
#include <cstdint>

namespace plm {

// The Sync Manager's record-transfer block for reading a record by index: packed, little-endian,
// zero-filled before use. 28 bytes on 32-bit Windows; on 64-bit targets the buffer pointer widens
// to 8 bytes at offset 20 and the block is 32 bytes, with the zero word at 28.
#pragma pack(push, 1)
struct RecordBlock_t {
    uint8_t databaseHandle; // 0
    uint32_t reserved1;     // 1
    uint16_t index;         // 5: record to read
    uint8_t reserved2[7];   // 7
    uint32_t size;          // 14: bytes received, written by the read
    uint16_t capacity;      // 18: the buffer's size
    char* buffer;           // 20
    uint32_t reserved3;     // 24 (28 on 64-bit targets)
};
#pragma pack(pop)

static_assert(offsetof(RecordBlock_t, index) == 5);
static_assert(offsetof(RecordBlock_t, size) == 14);
static_assert(offsetof(RecordBlock_t, capacity) == 18);
static_assert(offsetof(RecordBlock_t, buffer) == 20);
static_assert(sizeof(RecordBlock_t) == 24 + sizeof(char*));

// The buffer capacity the conduit always offers.
constexpr uint16_t kRecordCapacity = 0xFFF0;

} // namespace plm

#endif
