// Fuzzes the IX picture decoder: byte 0 picks 5-6-5 or 5-5-5 tables (bit 0) and a zero or patterned
// reference (bit 1); the rest is the payload. Payload, reference and output are heap blocks of exactly
// their size, so an overrun either way is caught; decoding twice must give the same picture.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "films/ix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    (data[0] & 1) ? HNM_InitIX555() : HNM_InitIX565();
    const uint32_t length = uint32_t(size - 1);
    std::unique_ptr<uint8_t[]> payload(new uint8_t[length]);
    std::memcpy(payload.get(), data + 1, length);
    std::unique_ptr<uint16_t[]> reference(new uint16_t[IX_PIXELS]);
    for (int32_t i = 0; i < IX_PIXELS; i++) {
        reference[size_t(i)] = (data[0] & 2) ? uint16_t(i * 40503u >> 3) : 0;
    }
    std::unique_ptr<uint16_t[]> first(new uint16_t[IX_PIXELS]);
    std::unique_ptr<uint16_t[]> second(new uint16_t[IX_PIXELS]);
    std::memset(first.get(), 0x11, size_t(IX_PIXELS) * 2);
    std::memset(second.get(), 0x11, size_t(IX_PIXELS) * 2);
    HNM_DecodeIXFrame(payload.get(), length, reference.get(), first.get(), nullptr);
    HNM_DecodeIXFrame(payload.get(), length, reference.get(), second.get(), nullptr);
    if (std::memcmp(first.get(), second.get(), size_t(IX_PIXELS) * 2) != 0) {
        std::abort();
    }
    return 0;
}
