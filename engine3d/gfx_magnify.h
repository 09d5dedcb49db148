// The tile magnifier: a 32 x 32 tile of 8-bit texels spread over a 256 x 256 area of a texture map.
#pragma once
#include <cstdint>

// Gives texel (i, j) of the tile the top-left rowScale x columnScale bytes of its 8 x 8 cell, rows
// 8i.., columns 8j.. from target, in a map whose rows are 256 bytes apart; the rest of each cell keeps
// its bytes. Scales are 1, 2, 4 or 8; any other scale writes nothing. The target area runs 256 rows
// and up to 263 columns from target: the caller keeps that inside its map.
void GFX_MagnifyBlock(const uint8_t *tile, uint8_t *target, int32_t rowScale, int32_t columnScale);

// The scene stream's form: the tile at (rowOffset, columnOffset), each 0..7, of the 65,536-byte map.
// Writes what GFX_MagnifyBlock writes at map + rowOffset x 256 + columnOffset, except any byte past the
// map's end; bad scales or offsets write nothing.
void GFX_MagnifyBlockChecked(const uint8_t *tile, uint8_t *map, int32_t rowOffset, int32_t columnOffset,
                             int32_t rowScale, int32_t columnScale);
