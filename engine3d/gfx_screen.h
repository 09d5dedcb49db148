// Screen effects on the 16-bit frame buffer (the darkened text backdrop, the gauge bands, the average
// with the shown frame) and the routines left from the 640-wide buffers.
#pragma once
#include <cstdint>

// The old 640 x 480 buffers: 614,400 bytes. The scratch area has one byte more, since the timed fill
// starts one byte in.
constexpr int32_t GFX_OLD_BYTES = 640 * 480 * 2;
extern uint8_t GFX_ScratchArea[GFX_OLD_BYTES + 1];

// Halves every pixel of 16 rows from row y (9 rows on a screen narrower than 640), rows outside the
// screen left out; the text printing darkens the band behind each line with it.
void GFX_DarkenRows(int32_t y);
// A 50% mix toward red, cyan or white of two rows of n pixels from x = 20, at rows fixed by the screen
// height: the float gauge's bands.
void GFX_BlendBarRed(int32_t n);
void GFX_BlendBarCyan(int32_t n);
void GFX_BlendBarWhite(int32_t n);
// The frame buffer averaged with the shown frame, which is the frame buffer itself.
void GFX_AverageBuffers();

// The scene textures' tint sampling reads no pixel: the answer is always 0.
int32_t GFX_ReadPixel(const uint16_t *buffer, int32_t x, int32_t y);
// The same sampling in the editor writes nothing.
void GFX_PlotPixelClipped(uint16_t *buffer, int32_t x, int32_t y);
// White at (x, y) of a 640 x 400 buffer; nothing outside it.
void GFX_PlotPixel(int32_t x, int32_t y, uint16_t *buffer);
// A 2 x 2 block of full blue with red from colour's low five bits, at (x, y) of a 640 x 400 buffer,
// only where the whole block fits.
void GFX_PlotBlock(int32_t x, int32_t y, int32_t colour, uint16_t *buffer);
// Times a copy of the old buffer into the scratch area and a fill of the scratch area from byte 1;
// the cycles go to the overlay's third value.
void GFX_TimeMemory();
// Fills bytes 0..614,399 of the scratch area with 0x7F.
void GFX_FillScratch();
void GFX_Nop();
// 64,000 rounds: two 16-bit source values (4 bytes) to their two 32-bit table entries (8 bytes). The
// source holds 256,000 bytes, the target 512,000, the table 65,536 entries.
void GFX_ConvertPairs(const uint8_t *source, uint8_t *target, const uint32_t *table);
// 16,000 rounds: eight source bytes s0..s7 to the entries of s0 | s2 << 8 and s0 | s4 << 8. The
// source and the target hold 128,000 bytes each, the table 65,536 entries.
void GFX_ConvertPairsSeg(const uint8_t *source, uint8_t *target, const uint32_t *table);
// count 32-bit words from source to target; nothing for a count of 0 or less.
void GFX_CopyDwordsSeg(uint8_t *target, const uint8_t *source, int32_t count);
