// Fuzzes the scene stream's tile magnifier: bytes 0..3 are the row offset, column offset, row scale and
// column scale (signed), the rest the tile (zero-padded to 1,024 bytes). The map is a heap block of
// exactly 65,536 bytes, so a write past it is caught; what it writes must equal the plain form's bytes
// on a map with room behind it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine3d/gfx_magnify.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4) {
        return 0;
    }
    const int32_t row = int8_t(data[0]), column = int8_t(data[1]);
    const int32_t row_scale = int8_t(data[2]), column_scale = int8_t(data[3]);
    uint8_t tile[1024] = {};
    std::memcpy(tile, data + 4, size - 4 < sizeof tile ? size - 4 : sizeof tile);

    constexpr size_t Map = 65536, Room = Map + 8 * 256 + 8;
    std::unique_ptr<uint8_t[]> map(new uint8_t[Map]);
    std::memset(map.get(), 0xCD, Map);
    GFX_MagnifyBlockChecked(tile, map.get(), row, column, row_scale, column_scale);

    std::unique_ptr<uint8_t[]> roomy(new uint8_t[Room]);
    std::memset(roomy.get(), 0xCD, Room);
    if (row >= 0 && row <= 7 && column >= 0 && column <= 7) {
        GFX_MagnifyBlock(tile, roomy.get() + row * 256 + column, row_scale, column_scale);
    }
    if (std::memcmp(map.get(), roomy.get(), Map) != 0) {
        std::abort();
    }
    return 0;
}
