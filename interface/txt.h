// Sprite fonts and text output.
#pragma once
#include <cstdint>

void TXT_ClearAll();
void TXT_LoadFont(const char *path, int32_t slot, int32_t spacing);
// Formats the text printf-style and draws it in the font with its middle at x, its top at y.
void TXT_PrintCentred(int32_t x, int32_t y, int32_t font, const char *format, ...);
