// Palette tinting through the saturating table, and the dormant scaled sprite renderer's entries.
#include "engine3d/gfx_tint.h"

#include <cstring>

#include "core/dsp.h"

uint8_t GFX_SaturateTable[65536];
int8_t GFX_TintOffsets[3];
GFX_SpriteClipState GFX_SpriteClip;

void GFX_BuildSaturateTable()
{
    for (int32_t h = 0; h < 256; h++) {
        const int32_t offset = 2 * int32_t(int8_t(uint8_t(h)));
        for (int32_t l = 0; l < 256; l++) {
            const int32_t v = l + offset;
            GFX_SaturateTable[h * 256 + l] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
    }
}

void GFX_TintPalette(int32_t red, int32_t green, int32_t blue, const uint8_t *source, uint8_t *table)
{
    auto clamp = [](int32_t v) { return int8_t(v < -127 ? -127 : (v > 127 ? 127 : v)); };
    GFX_TintOffsets[0] = clamp(red);
    GFX_TintOffsets[1] = clamp(green);
    GFX_TintOffsets[2] = clamp(blue);
    // A negative offset reads the rows 0x81..0xFF, which hold the subtracting ones.
    const uint8_t *r_row = GFX_SaturateTable + uint8_t(GFX_TintOffsets[0]) * 256;
    const uint8_t *g_row = GFX_SaturateTable + uint8_t(GFX_TintOffsets[1]) * 256;
    const uint8_t *b_row = GFX_SaturateTable + uint8_t(GFX_TintOffsets[2]) * 256;
    const bool rgb555 = DSP_Rgb555 == 1;
    for (int32_t i = 0; i < 256; i++) {
        const uint32_t b = b_row[source[i * 4]];
        const uint32_t g = g_row[source[i * 4 + 1]];
        const uint32_t r = r_row[source[i * 4 + 2]];
        const uint32_t colour = rgb555 ? ((r << 7) & 0x7C00) | ((g << 2) & 0x03E0) | (b >> 3)
                                       : ((r << 8) & 0xF800) | ((g << 3) & 0x07E0) | (b >> 3);
        const uint32_t entry = colour << 16;
        std::memcpy(table + i * 4, &entry, 4); // little-endian, as the shading rows are read
    }
}

void GFX_DrawScaledSprite(const GFX_ScaledSprite *, const uint8_t *, int32_t, int32_t, int32_t, int32_t, int32_t,
                          int32_t, uint16_t *)
{
}

void GFX_DrawObjectSprite(const GFX_ScaledSprite *, const uint8_t *) {}

void GFX_SetSpriteClip(int32_t x_min, int32_t y_min, int32_t x_max, int32_t y_max, uint16_t *target)
{
    GFX_SpriteClip = {x_min, x_max, y_min, y_max, target};
}
