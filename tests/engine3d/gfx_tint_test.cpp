// The saturating table, palette tinting into shading rows, and the scaled renderer's dormant entries.
#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "core/dsp.h"
#include "engine3d/gfx_tint.h"
#include "tests/support/golden.h"
#include "tests/support/span_texture.h"

namespace kalder_test {
namespace {

class TintTest : public ::testing::Test {
protected:
    TintTest() { GFX_BuildSaturateTable(); }
    ~TintTest() override { DSP_Rgb555 = 0; }

    // The shade entry that one palette colour (blue, green, red) becomes; the table lies at `odd` bytes
    // past a 4-byte boundary.
    uint32_t Tint(int32_t r, int32_t g, int32_t b, uint8_t blue, uint8_t green, uint8_t red, size_t odd = 0)
    {
        std::vector<uint8_t> palette(1024, 0x5A);
        palette[0] = blue, palette[1] = green, palette[2] = red;
        alignas(4) uint8_t table[1024 + 4];
        GFX_TintPalette(r, g, b, palette.data(), table + odd);
        uint32_t entry;
        std::memcpy(&entry, table + odd, 4);
        return entry;
    }
};

TEST_F(TintTest, SaturateTableIsTheClampedSumOfTheLowByteAndTwiceTheSignedHighByte)
{
    EXPECT_EQ(GFX_SaturateTable[0x7F00 + 200], 255);
    EXPECT_EQ(GFX_SaturateTable[0x8000 + 100], 0);
    EXPECT_EQ(GFX_SaturateTable[0x0100 + 254], 255);
    int wrong = 0;
    for (int h = 0; h < 256; h++) {
        for (int l = 0; l < 256; l++) {
            const int v = std::clamp(l + 2 * (h < 128 ? h : h - 256), 0, 255);
            wrong += GFX_SaturateTable[h * 256 + l] != v;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(TintTest, PaletteEntriesBecomeColoursInTheUpperHalf)
{
    struct Case {
        int32_t rgb555;
        int32_t r, g, b;
        uint8_t blue, green, red;
        uint32_t entry;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFFFF0000},
        {0, 0, 0, 0, 0x08, 0x04, 0x08, 0x08210000},
        {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7FFF0000},
        {1, 0, 0, 0, 0x08, 0x08, 0x08, 0x04210000},
        {0, 8, 0, 0, 0, 0, 0, 0x10000000},       // red 16
        {0, 0, -2, 0, 0x40, 0x40, 0x40, 0x41E80000}, // green 60
        {0, 500, 0, 0, 0, 0, 0, 0xF8000000},     // 0 + 254
        {0, -500, -500, -500, 0xFE, 0xFE, 0xFE, 0}, // 254 - 254
        {0, 500, 500, 500, 0, 0, 0, 0xFFFF0000},
        {1, -500, 0, 500, 0, 0xFF, 0xFE, 0x03FF0000},
    };
    for (const Case &c : cases) {
        DSP_Rgb555 = c.rgb555;
        EXPECT_EQ(Tint(c.r, c.g, c.b, c.blue, c.green, c.red), c.entry)
            << c.rgb555 << " " << c.r << " " << c.g << " " << c.b << " " << int(c.blue) << " " << int(c.green)
            << " " << int(c.red);
    }
}

TEST_F(TintTest, OffsetsAreClampedAndKept)
{
    // -500 acts as -127: 254 and below reach 0, 255 keeps 1 (then lost below the colour's bits).
    std::vector<uint8_t> palette(1024);
    for (int i = 0; i < 256; i++) {
        palette[size_t(i) * 4] = palette[size_t(i) * 4 + 1] = palette[size_t(i) * 4 + 2] = uint8_t(i);
    }
    std::vector<uint8_t> table(1024);
    GFX_TintPalette(-500, -500, -500, palette.data(), table.data());
    EXPECT_EQ(GFX_TintOffsets[0], -127);
    EXPECT_EQ(GFX_TintOffsets[1], -127);
    EXPECT_EQ(GFX_TintOffsets[2], -127);
    EXPECT_EQ(std::count(table.begin(), table.end(), 0), 1024);
    GFX_TintPalette(500, 3, -4, palette.data(), table.data());
    EXPECT_EQ(GFX_TintOffsets[0], 127);
    EXPECT_EQ(GFX_TintOffsets[1], 3);
    EXPECT_EQ(GFX_TintOffsets[2], -4);
    uint32_t first;
    std::memcpy(&first, table.data(), 4);
    EXPECT_EQ(first >> 16, (254u >> 3) << 11 | (6u >> 2) << 5) << "red 254, green 6, blue 0";
}

TEST_F(TintTest, TablesAtOddAddressesAreWrittenWhole)
{
    for (size_t odd : {size_t(1), size_t(2), size_t(3)}) {
        EXPECT_EQ(Tint(0, 0, 0, 0xFF, 0xFF, 0xFF, odd), 0xFFFF0000) << odd;
    }
}

TEST(TintStrip, MatchesItsGolden)
{
    const std::vector<uint16_t> strip = TintStrip(false);
    EXPECT_TRUE(MatchesGolden("tint-strip", strip.data(), kTintStripWidth, kTintStripHeight, false));
}

TEST(ScaledSprite, TheDrawingEntriesLeaveTheTargetAndTheClipIsStored)
{
    std::vector<uint16_t> target(640 * 48, 0xA5C3);
    const std::vector<uint16_t> canary = target;
    GFX_ScaledSprite object{100, 20, 0x2000, -1, 0x0300};
    std::vector<uint8_t> set(4096, 0x77);
    GFX_DrawScaledSprite(&object, set.data(), 256, 0, 0, 639, 47, 1, target.data());
    GFX_DrawScaledSprite(nullptr, nullptr, 0, 0, 0, 0, 0, 0, nullptr);
    GFX_DrawScaledSprite(&object, nullptr, 64, -10, -10, 10000, 10000, 0, target.data());
    GFX_DrawObjectSprite(&object, set.data());
    GFX_DrawObjectSprite(nullptr, nullptr);
    EXPECT_TRUE(target == canary);

    GFX_SetSpriteClip(4, 8, 600, 400, target.data());
    EXPECT_EQ(GFX_SpriteClip.x_min, 4);
    EXPECT_EQ(GFX_SpriteClip.y_min, 8);
    EXPECT_EQ(GFX_SpriteClip.x_max, 600);
    EXPECT_EQ(GFX_SpriteClip.y_max, 400);
    EXPECT_EQ(GFX_SpriteClip.target, target.data());
    GFX_SetSpriteClip(0, 0, 0, 0, nullptr);
}

} // namespace
} // namespace kalder_test
