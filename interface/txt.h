// Sprite fonts and text output.
#pragma once
#include <cstdint>

void TXT_ClearAll();
void TXT_LoadFont(const char *path, int32_t slot, int32_t spacing);
// Formats the text printf-style and draws it in the font with its middle at x, its top at y.
void TXT_PrintCentred(int32_t x, int32_t y, int32_t font, const char *format, ...);

// Draws the text at (x, y) in font (style & 0x7F); style bit 0x80 scales it from 640x400
// coordinates. unused is not read.
void TXT_DrawString(const char *text, int32_t x, int32_t y, int32_t unused, int32_t style);
