// Fuzzes the bounded LZ unpacker: the first 4 bytes give the destination's room (at most 1 MB), the
// rest is the stream. Both buffers are heap blocks of exactly their size, so a one-byte overrun either
// way is caught; a stream that unpacks must unpack the same into exactly the room it reported.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/lz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4) {
        return 0;
    }
    uint32_t capacity;
    std::memcpy(&capacity, data, 4);
    if (capacity > (1u << 20)) {
        capacity = 1u << 20;
    }
    const uint32_t length = uint32_t(size - 4);
    std::unique_ptr<uint8_t[]> source(new uint8_t[length]);
    std::memcpy(source.get(), data + 4, length);
    std::unique_ptr<uint8_t[]> destination(new uint8_t[capacity]);

    int32_t r = LZ_UnpackChecked(source.get(), length, destination.get(), capacity);
    if (r < -1 || r > int32_t(capacity)) {
        std::abort();
    }
    if (r >= 0) {
        std::unique_ptr<uint8_t[]> again(new uint8_t[uint32_t(r)]);
        if (LZ_UnpackChecked(source.get(), length, again.get(), uint32_t(r)) != r ||
            std::memcmp(again.get(), destination.get(), size_t(r)) != 0) {
            std::abort();
        }
    }
    return 0;
}
