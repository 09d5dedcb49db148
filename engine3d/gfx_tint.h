// Palette tinting into shading rows through the saturating table, and the entries of the scaled
// object-sprite renderer, which draws nothing in this build.
#pragma once
#include <cstdint>

// Entry [h x 256 + l] = clamp(l + 2 x h, 0, 255), h read as a signed byte.
extern uint8_t GFX_SaturateTable[65536];
// The red, green and blue offsets of the last tint, clamped to -127..127.
extern int8_t GFX_TintOffsets[3];

// Fills GFX_SaturateTable. Called at start-up by the particle sprites' loading and again when a level's
// resources load.
void GFX_BuildSaturateTable();

// Turns a palette of 256 entries of 4 bytes (blue, green, red, unread) into a shading row of 256
// 32-bit little-endian entries, colour << 16, each channel moved by twice its offset and saturated;
// RGB555 when the display runs 15-bit, else RGB565. `table` may lie at any alignment. Called by the
// world's texture code for every shade level of every texture.
void GFX_TintPalette(int32_t red, int32_t green, int32_t blue, const uint8_t *source, uint8_t *table);

// The object record the scaled renderer reads (memory only).
struct GFX_ScaledSprite {
    int16_t x, y;   // screen point
    uint32_t flags; // 0x2000 translucent, 0x4000 plain, else shaded
    int16_t facing; // negative: facing left
    int16_t frame;  // high byte: frame number
};

// The renderer's clip window and target, as GFX_SetSpriteClip stored them.
struct GFX_SpriteClipState {
    int32_t x_min, x_max, y_min, y_max;
    uint16_t *target;
};
extern GFX_SpriteClipState GFX_SpriteClip;

// The scaled object-sprite renderer. Both drawing entries return at once in this build; `set` is a
// sprite set (palette, mirror switch, frame directory), `target` a 640-pixel-wide 16-bit buffer.
void GFX_DrawScaledSprite(const GFX_ScaledSprite *object, const uint8_t *set, int32_t scale, int32_t x_min,
                          int32_t y_min, int32_t x_max, int32_t y_max, int32_t mode, uint16_t *target);
void GFX_DrawObjectSprite(const GFX_ScaledSprite *object, const uint8_t *set);
void GFX_SetSpriteClip(int32_t x_min, int32_t y_min, int32_t x_max, int32_t y_max, uint16_t *target);
