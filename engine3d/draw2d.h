// Debug drawing: text in the built-in font, clipped lines and pixels, into a 16-bit buffer of the
// library's screen size (OBJ_View's screen width W and height H, row pitch W).
#pragma once
#include <cstdint>

// 256 glyphs of 16 bytes, one byte a row from the top, bit 7 the leftmost pixel.
extern const uint8_t *const Draw_Font;

// Up to 255 characters from (x, y), cellWidth columns each, the glyphs' first `rows` rows (at most 16),
// right-aligned in columns x + 1 .. x + cellWidth; bold (1) widens every stroke by a pixel to the left.
// Pixels outside the buffer are left out. The spare argument is not read. Drawn by the profiler's
// value, and the editor's and the collision views' labels.
void Draw_Text(uint16_t *buffer, int32_t cellWidth, int32_t rows, int32_t x, int32_t y, const char *text,
               uint16_t colour, int32_t spare, int32_t bold);
// The segment with both ends, clipped to columns 0..W-2 and rows 0..H-2.
void Draw_Line(uint16_t *buffer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t colour);
// One pixel, when inside the buffer.
void Draw_Pixel(uint16_t *buffer, int32_t x, int32_t y, uint16_t colour);
