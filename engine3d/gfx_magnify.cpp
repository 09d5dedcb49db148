// The tile magnifier: one unrolled fill loop per pair of scales, chosen through a table of sixteen.
#include "engine3d/gfx_magnify.h"

#include <cstring>

namespace {

constexpr int32_t Tile_Side = 32;
constexpr int32_t Map_Row = 256;
constexpr int32_t Map_Bytes = Map_Row * Map_Row;

// The texel repeated over `Columns` bytes, stored as one word (two words for eight columns).
template <int Columns> inline void store_run(uint8_t *at, uint8_t v)
{
    if constexpr (Columns == 1) {
        *at = v;
    } else if constexpr (Columns == 2) {
        const uint16_t w = uint16_t(v * 0x0101u);
        std::memcpy(at, &w, 2);
    } else if constexpr (Columns == 4) {
        const uint32_t w = v * 0x01010101u;
        std::memcpy(at, &w, 4);
    } else {
        const uint32_t w = v * 0x01010101u;
        std::memcpy(at, &w, 4);
        std::memcpy(at + 4, &w, 4);
    }
}

// Tile rows 0..tileRows-1: every texel fills the first Rows rows and Columns columns of its cell.
template <int Rows, int Columns> void magnify_rows(const uint8_t *tile, uint8_t *target, int32_t tileRows)
{
    for (int32_t i = 0; i < tileRows; i++) {
        const uint8_t *src = tile + i * Tile_Side;
        uint8_t *row = target + i * 8 * Map_Row;
        for (int32_t j = 0; j < Tile_Side; j++) {
            const uint8_t v = src[j];
            uint8_t *cell = row + j * 8;
            for (int r = 0; r < Rows; r++) {
                store_run<Columns>(cell + r * Map_Row, v);
            }
        }
    }
}

using Fill_Loop = void (*)(const uint8_t *, uint8_t *, int32_t);

// Indexed by row index x 4 + column index.
constexpr Fill_Loop Fill_Loops[16] = {
    magnify_rows<1, 1>, magnify_rows<1, 2>, magnify_rows<1, 4>, magnify_rows<1, 8>,
    magnify_rows<2, 1>, magnify_rows<2, 2>, magnify_rows<2, 4>, magnify_rows<2, 8>,
    magnify_rows<4, 1>, magnify_rows<4, 2>, magnify_rows<4, 4>, magnify_rows<4, 8>,
    magnify_rows<8, 1>, magnify_rows<8, 2>, magnify_rows<8, 4>, magnify_rows<8, 8>,
};

// 1 -> 0, 2 -> 1, 4 -> 2, 8 -> 3; -1 for a scale the loops do not have.
int32_t scale_index(int32_t scale)
{
    switch (scale) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    default: return -1;
    }
}

int32_t loop_index(int32_t rowScale, int32_t columnScale)
{
    const int32_t r = scale_index(rowScale), c = scale_index(columnScale);
    return r < 0 || c < 0 ? -1 : r * 4 + c;
}

} // namespace

void GFX_MagnifyBlock(const uint8_t *tile, uint8_t *target, int32_t rowScale, int32_t columnScale)
{
    const int32_t k = loop_index(rowScale, columnScale);
    if (k >= 0) {
        Fill_Loops[k](tile, target, Tile_Side);
    }
}

// Only the last tile row can reach past the map: its cells start 248 map rows down, so with the
// offset's row they reach row 255 + rowOffset, and a cell that spills past a row's end goes on into
// the next row. The 31 rows above stay well inside and take the fast loops.
void GFX_MagnifyBlockChecked(const uint8_t *tile, uint8_t *map, int32_t rowOffset, int32_t columnOffset,
                             int32_t rowScale, int32_t columnScale)
{
    const int32_t k = loop_index(rowScale, columnScale);
    if (k < 0 || rowOffset < 0 || rowOffset > 7 || columnOffset < 0 || columnOffset > 7) {
        return;
    }
    const int32_t base = rowOffset * Map_Row + columnOffset;
    if (rowOffset + rowScale <= 8 && columnOffset + columnScale <= 8) {
        Fill_Loops[k](tile, map + base, Tile_Side);
        return;
    }
    Fill_Loops[k](tile, map + base, Tile_Side - 1);
    const uint8_t *src = tile + (Tile_Side - 1) * Tile_Side;
    for (int32_t j = 0; j < Tile_Side; j++) {
        for (int32_t r = 0; r < rowScale; r++) {
            for (int32_t c = 0; c < columnScale; c++) {
                const int32_t at = base + ((Tile_Side - 1) * 8 + r) * Map_Row + j * 8 + c;
                if (at < Map_Bytes) {
                    map[at] = src[j];
                }
            }
        }
    }
}
