// Textures for span and render tests (see span_texture.h).
#include "tests/support/span_texture.h"

#include <cstring>

#include "core/dsp.h"
#include "engine3d/gfx_tint.h"
#include "engine3d/span_routines.h"

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

std::vector<uint8_t> HicolourTexels(const std::function<uint16_t(int x, int y)> &texel)
{
    std::vector<uint8_t> map(65536);
    for (int y = 0; y < 128; y++) {
        for (int x = 0; x < 256; x++) {
            const uint16_t t = texel(x, y);
            map[size_t(y * 256 + x) * 2] = uint8_t(t);
            map[size_t(y * 256 + x) * 2 + 1] = uint8_t(t >> 8);
        }
    }
    return map;
}

uint16_t AlphaGradientTexel(int x, int y)
{
    const int hue = 1 + (y >> 4) % 6;
    return uint16_t((hue << 5 | 28) | (x >> 3) << 8);
}

void ResetBlendTables()
{
    std::memset(SPAN_ScaleTables, 0, sizeof SPAN_ScaleTables);
    SPAN_ScaleFormat = -1;
}

std::vector<uint8_t> TintTestPalette()
{
    static const uint8_t hues[8][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0},
                                       {0, 255, 255}, {255, 0, 255}, {255, 128, 0}, {96, 64, 160}}; // r, g, b
    std::vector<uint8_t> palette(1024);
    for (int i = 0; i < 256; i++) {
        const int k = i % 16;
        uint8_t r, g, b;
        if (k < 8) {
            r = g = b = uint8_t(k * 255 / 7);
        } else {
            r = hues[k - 8][0], g = hues[k - 8][1], b = hues[k - 8][2];
        }
        palette[size_t(i) * 4] = b;
        palette[size_t(i) * 4 + 1] = g;
        palette[size_t(i) * 4 + 2] = r;
    }
    return palette;
}

std::vector<uint16_t> TintStrip(bool rgb555)
{
    static const int32_t offsets[9] = {-127, -64, -16, -1, 0, 1, 16, 64, 127};
    const int32_t saved = DSP_Rgb555;
    DSP_Rgb555 = rgb555 ? 1 : 0;
    GFX_BuildSaturateTable();
    const std::vector<uint8_t> palette = TintTestPalette();
    std::vector<uint16_t> strip(size_t(kTintStripWidth) * kTintStripHeight, rgb555 ? 0x1084 : 0x2104);
    uint8_t table[1024];
    for (int row = 0; row < 9; row++) {
        for (int channel = 0; channel < 3; channel++) {
            const int32_t o = offsets[row];
            GFX_TintPalette(channel == 0 ? o : 0, channel == 1 ? o : 0, channel == 2 ? o : 0, palette.data(), table);
            for (int k = 0; k < 16; k++) {
                uint32_t entry;
                std::memcpy(&entry, table + k * 4, 4);
                const int x0 = channel * 136 + k * 8, y0 = row * 10;
                for (int y = y0; y < y0 + 8; y++) {
                    for (int x = x0; x < x0 + 8; x++) {
                        strip[size_t(y) * kTintStripWidth + size_t(x)] = uint16_t(entry >> 16);
                    }
                }
            }
        }
    }
    DSP_Rgb555 = saved;
    return strip;
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
