// Sprite sets: the 24 slots of sprite files held in memory, and the product tables and channel mixers
// that the sprite blitters blend with.
#pragma once
#include <cstdint>

#include "engine3d/gfx_sprite.h"

constexpr int32_t SPR_SLOTS = 24;
constexpr int32_t SPR_ENTRIES = 256;
// A sprite file: the palette at the start, the directory of 256 28-byte entries and the trailer word
// at the end.
constexpr uint32_t SPR_PALETTE_BYTES = 512;
constexpr uint32_t SPR_DIRECTORY_BYTES = 256 * 28;
constexpr uint32_t SPR_TAIL_BYTES = SPR_DIRECTORY_BYTES + 4;
// Widths and heights a loaded sprite may have.
constexpr int32_t SPR_MAX_SIDE = 4096;

// One slot: its directory (256 entries, null when the slot is empty), the palette block its entries
// share, the file's trailer word, and the bytes a pixel (2 for ".ALP" files, else 1).
struct SPR_Set {
    SPR_Entry *entries;
    uint16_t *palette;
    uint32_t trailer;
    int32_t pixel_bytes;
};
extern SPR_Set SPR_Sets[SPR_SLOTS];

// Loads a sprite file (a plain file path; ".ALP" anywhere in the name means 2-byte pixels) into slot
// 0..23, freeing what the slot held. Start-up loads the fonts and the cursor set; every failure ends
// the program.
void SPR_LoadSet(const char *path, int32_t slot);
// Entry i (0..255) of a loaded slot.
SPR_Entry *SPR_GetSprite(int32_t slot, int32_t i);
// Draws sprite i of the slot in the alpha mode with its hot spot at (x, y) (a set of 1-byte pixels in
// the plain mode). The editor's cursor.
void SPR_DrawSprite(int32_t slot, int32_t i, int32_t x, int32_t y);
void SPR_FreeSet(int32_t slot);
void SPR_FreeAll();
// Marks every slot empty without freeing anything: start-up, before the first load.
void SPR_ClearAll();
uint32_t SPR_GetTrailer(int32_t slot);

// Whether a sprite file holds 2-byte pixels: ".ALP" anywhere in its name, in any case.
bool SPR_TwoBytePixels(const char *path);
// The file's 7,168-byte directory is taken only when every non-empty entry is 0..4096 wide and high
// and its block of width x height x pixel_bytes lies between the palette and the directory of a file
// of file_size bytes. The sprite and icon loaders check before they allocate.
bool SPR_DirectoryFits(const uint8_t *directory, int64_t file_size, int64_t pixel_bytes);
// Entry i of a file's directory in its native form, pointing at the palette, without pixels; the
// block's offset in the file (0: none) goes to *pixel_offset.
SPR_Entry SPR_DecodeEntry(const uint8_t *directory, int32_t i, const uint16_t *palette, uint32_t *pixel_offset);

// The file's RGB555 palette (512 bytes, little-endian) as RGB565 with the lowest green bit 0. The
// sprite and icon loaders share it.
void SPR_ConvertPalette(const uint8_t *file_palette, uint16_t *out);

// Fills BLEND_Table32 and BLEND_Table64; the sprite-set and icon-set loaders run it at every load.
void BLEND_BuildTables();
// ((31 - k) x a + k x b) >> 5 with k = alpha / 2, for 5-bit channels.
uint32_t BLEND_MixChannel32(uint32_t a, uint32_t b, uint32_t alpha);
// ((63 - alpha) x a + alpha x b) >> 6, for 6-bit channels.
uint32_t BLEND_MixChannel64(uint32_t a, uint32_t b, uint32_t alpha);
// Two colours of the display's format mixed by the blend alpha of the last blended pixel.
uint16_t BLEND_MixColour(uint16_t c1, uint16_t c2);
