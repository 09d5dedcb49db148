// Sprite fonts and text output: ten font slots over the sprite sets, measuring and the printers.
#pragma once
#include <cstdint>

constexpr int32_t TXT_FONTS = 10;
// Every printer formats into a buffer of this size: longer texts are cut at 511 characters.
constexpr int32_t TXT_BUFFER_BYTES = 512;

// A font slot: the glyph of code c is sprite c of sprite-set slot `set` (always the font's number),
// and moves the pen advance[c] + spacing.
struct TXT_FontSlot {
    int32_t loaded;
    int32_t spacing;
    int32_t advance[256];
    int32_t set;
};
extern TXT_FontSlot TXT_Font[TXT_FONTS];

// Glyph routines: draw glyph c with its hot spot at the pen and move the pen by advance[c] (space,
// line feed and carriage return only move it). Plain, translucent (alpha 64 / fade), dimmed.
void TXT_DrawChar(uint8_t c, int32_t *x, int32_t *y, int32_t font);
void TXT_DrawCharColour(uint8_t c, int32_t *x, int32_t *y, int32_t font, uint8_t fade);
void TXT_DrawCharDim(uint8_t c, int32_t *x, int32_t *y, int32_t font, uint8_t dim);

// The printers format printf-style. All but TXT_PrintCentred draw font f + 2 on screens narrower
// than 640; TXT_Print and TXT_PrintScaled darken a band behind fonts 0 and 2.
void TXT_Print(int32_t x, int32_t y, int32_t font, const char *format, ...) __attribute__((format(printf, 4, 5)));
// At (x, y) of a virtual 640 x 400 screen, lines broken after a space past width - 40.
void TXT_PrintScaled(int32_t x, int32_t y, int32_t font, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
// Formats the text printf-style and draws it in the font with its middle at x, its baseline at y.
void TXT_PrintCentred(int32_t x, int32_t y, int32_t font, const char *format, ...)
    __attribute__((format(printf, 4, 5)));
void TXT_PrintColour(int32_t x, int32_t y, int32_t font, uint8_t fade, const char *format, ...)
    __attribute__((format(printf, 5, 6)));
void TXT_PrintShaded(int32_t x, int32_t y, int32_t font, uint8_t dim, const char *format, ...)
    __attribute__((format(printf, 5, 6)));
// The formatted text's width in pixels, spacing after every character included; 0 for a font number
// outside 0..9.
int32_t TXT_MeasureWidth(int32_t font, const char *format, ...) __attribute__((format(printf, 2, 3)));

// Draws the text (not a format: "%%" prints one '%', any other '%' prints as it stands) at (x, y) in
// font (style & ~0x80); style bit 0x80 scales it from 640x400 coordinates. unused is not read.
void TXT_DrawString(const char *text, int32_t x, int32_t y, int32_t unused, int32_t style);

// Loads font n (0..9) from a sprite file into sprite-set slot n; start-up loads fonts 0..3.
void TXT_LoadFont(const char *path, int32_t n, int32_t spacing);
void TXT_FreeFont(int32_t n);
void TXT_ClearFonts();
// Marks every font and sprite-set slot empty without freeing anything: start-up, before the fonts load.
void TXT_ClearAll();
// Frees every sprite set; the fonts' loaded flags stay.
void TXT_FreeAll();
void TXT_SetSpacing(int32_t n, int32_t spacing);
