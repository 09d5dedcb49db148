// Textures for span and render tests (see span_texture.h).
#include "tests/support/span_texture.h"

#include <cstring>

namespace kalder_test {

static void SetEntry(uint8_t *texture_start, uint32_t row, uint32_t texel, uint16_t colour)
{
    const uint32_t entry = uint32_t(colour) << 16;
    std::memcpy(texture_start + (row * 256 + texel) * 4, &entry, 4);
}

void FillRowTable(uint8_t *texture_start)
{
    for (uint32_t r = 0; r < 32; r++) {
        for (uint32_t i = 0; i < 256; i++) {
            SetEntry(texture_start, r, i, uint16_t(((r << 11) | i) & 0xFFFF));
        }
    }
}

void FillRampTable(uint8_t *texture_start)
{
    for (uint32_t r = 0; r < 32; r++) {
        for (uint32_t i = 0; i < 256; i++) {
            // Texel values: the high three bits pick a hue, the low five a brightness.
            static const uint8_t hues[8][3] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                                               {1, 1, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 1}};
            const uint32_t level = ((i & 31) + 1) * (32 - r) / 32; // 0..32
            const uint32_t level5 = level > 31 ? 31 : level;
            const uint8_t *h = hues[i >> 5];
            const uint32_t red = h[0] ? level5 : level5 / 4;
            const uint32_t green = (h[1] ? level5 : level5 / 4) * 2 + (h[1] ? level5 >> 4 : 0);
            const uint32_t blue = h[2] ? level5 : level5 / 4;
            SetEntry(texture_start, r, i, uint16_t((red << 11) | (green << 5) | blue));
        }
    }
}

void FillCheckerTexels(uint8_t *texture_start)
{
    uint8_t *texels = texture_start + kShadeTableBytes;
    for (uint32_t y = 0; y < 256; y++) {
        for (uint32_t x = 0; x < 256; x++) {
            const bool dark = ((x >> 5) ^ (y >> 5)) & 1;
            const uint32_t gradient = ((x & 31) + (y & 31)) / 2; // 0..31 across a square
            uint32_t hue = dark ? 3 : 1 + ((x >> 5) & 1) * 4;     // blue squares, and red or cyan ones
            if (x < 8 && y < 8) {
                hue = 2; // the marked corner: green
            }
            texels[y * 256 + x] = uint8_t(hue << 5 | gradient);
        }
    }
}

template <class Hole> static void FillHoled(uint8_t *texture_start, Hole hole)
{
    FillCheckerTexels(texture_start);
    uint8_t *texels = texture_start + kShadeTableBytes;
    for (uint32_t y = 0; y < 256; y++) {
        for (uint32_t x = 0; x < 256; x++) {
            if (hole(x, y)) {
                texels[y * 256 + x] = 0;
            }
        }
    }
}

void FillHoledChecker(uint8_t *texture_start, uint32_t square)
{
    FillHoled(texture_start, [square](uint32_t x, uint32_t y) { return ((x / square) ^ (y / square)) & 1; });
}

void FillHoledDisc(uint8_t *texture_start, uint32_t radius)
{
    FillHoled(texture_start, [radius](uint32_t x, uint32_t y) {
        const int32_t dx = int32_t(x) - 128, dy = int32_t(y) - 128;
        return uint32_t(dx * dx + dy * dy) > radius * radius;
    });
}

void FillSingleHole(uint8_t *texture_start, uint32_t x, uint32_t y)
{
    FillHoled(texture_start, [x, y](uint32_t hx, uint32_t hy) { return hx == x && hy == y; });
}

} // namespace kalder_test
