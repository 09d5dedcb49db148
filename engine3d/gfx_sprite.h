// The sprite blitters that put paletted frames into the 16-bit frame buffer, and the alpha mixing of
// 16-bit colours through the product tables.
#pragma once
#include <cstdint>

// A sprite frame as the blitters read it: a palette of 256 RGB565 colours, the size, the hot spot
// (the drawing position minus the hot spot is the top-left pixel), a word the blitters leave alone,
// and the pixels, row after row without gaps, 1 byte (index) or 2 bytes (index, alpha or marker).
struct SPR_Entry {
    const uint16_t *palette;
    int32_t width;
    int32_t height;
    int32_t hot_x;
    int32_t hot_y;
    int32_t spare;
    const uint8_t *pixels;
};

// Where a frame goes: the caller fills it on its stack. The first of the mode flags set chooses, in
// the order window, alpha, faded alpha, half translucent, opaque; with none the plain mode draws.
struct GFX_BlitRecord {
    int32_t x;
    int32_t y;
    uint32_t flags;
    SPR_Entry *frame;
};

constexpr uint32_t GFX_BLIT_OPAQUE = 0x01;
constexpr uint32_t GFX_BLIT_HALF = 0x02;
constexpr uint32_t GFX_BLIT_WINDOW = 0x04;
constexpr uint32_t GFX_BLIT_FADED = 0x08;
constexpr uint32_t GFX_BLIT_ALPHA = 0x10;

// A HUD gauge: the base frame (2-byte pixels whose markers 0xFF, 0xFE and 0xFD call in the fills) and
// its three fill frames, drawn with the base's top-left corner at (x, y).
struct GFX_GaugeRecord {
    int32_t x;
    int32_t y;
    const SPR_Entry *base;
    const SPR_Entry *fill1;
    const SPR_Entry *fill2;
    const SPR_Entry *fill3;
};

// The options word of a gauge: halve width in the lowest byte, halve height in the next, and the
// blank switch of the third gauge's bar in the third.
constexpr uint32_t GFX_GaugeOptions(uint8_t halveWidth, uint8_t halveHeight, uint8_t blank)
{
    return uint32_t(halveWidth) | uint32_t(halveHeight) << 8 | uint32_t(blank) << 16;
}

// The product tables: [i x 32 + j] = i x j for 0..31 and [i x 64 + j] = i x j for 0..63, filled by the
// sprite-set loader before anything blends.
extern uint32_t BLEND_Table32[32 * 32];
extern uint32_t BLEND_Table64[64 * 64];

// The alpha (0..63) of the last blended pixel; GFX_BlendPixel16 and the colour mixer read it.
extern uint8_t GFX_BlendAlpha;

// Draws a frame through its record: glyphs, icons, menu pictures. The fade divides the faded mode's
// alpha (0 acts as 1); the halvings drop every other source column or row; dim halves the colours.
void GFX_DrawSprite(const GFX_BlitRecord *record, uint8_t fade, uint8_t halveWidth, uint8_t halveHeight,
                    uint8_t dim);

// Coloured text: 1-byte pixels at the constant opacity 64 / fade; the record's flags are not read.
void GFX_DrawSpriteFaded(const GFX_BlitRecord *record, uint8_t fade, uint8_t halveWidth, uint8_t halveHeight);

// A 64 x 64 picture of 2-byte pixels whose alpha comes from a mask 64 - level rows further down the
// frame; makes the frame 64 x 128. Frames smaller than that draw nothing. Nothing in the game calls it.
void GFX_DrawSpriteHalf(const GFX_BlitRecord *record, int32_t level, uint8_t halveWidth, uint8_t halveHeight);

// A HUD gauge filled to the three levels; mode 0 fills the third gauge from its frame, any other mode
// draws it as a two-colour bar. Called by the HUD every frame.
void GFX_DrawGaugeSprite(const GFX_GaugeRecord *gauge, int32_t level1, int32_t level2, int32_t level3,
                         int32_t mode, uint32_t options);

// A red bar n columns wide (at least one) over the top 10 rows, whatever the pixel format.
void GFX_DrawRedBar(int32_t n);

// Mixes two pixels of the frame's format by GFX_BlendAlpha: the background weighs 31 - a/2 and the
// source a/2, on five bits a channel (the lowest green bit of RGB565 is dropped).
uint16_t GFX_BlendPixel16(uint16_t background, uint16_t source);

// One 5-bit channel: ((31 - a/2) x background + (a/2) x source) >> 5 through BLEND_Table32.
uint32_t GFX_BlendChannel(uint32_t alpha, uint32_t background, uint32_t source);

// One 6-bit channel: ((63 - a) x background + a x source) >> 6 through BLEND_Table64.
uint32_t GFX_BlendChannel64(uint32_t alpha, uint32_t background, uint32_t source);
