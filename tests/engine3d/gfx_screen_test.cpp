// The screen effects and the old 640-wide routines: the darkened band and its clipping, the three gauge
// bands by screen height, the average with the shown frame, the plotters' bounds, the conversions, the
// scratch fills and the pictures over the test card.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/prof.h"
#include "core/scr.h"
#include "engine3d/gfx_screen.h"
#include "plat/test.h"
#include "tests/support/gfx_pictures.h"
#include "tests/support/golden.h"
#include "tests/support/screen_target.h"

namespace kalder_test {
namespace {

// The rows of the frame in which any pixel differs from `before`.
std::vector<int> ChangedRows(ScreenTarget &screen, const std::vector<uint16_t> &before)
{
    std::vector<int> rows;
    const std::vector<uint16_t> now = screen.Frame();
    for (int y = 0; y < screen.height(); y++) {
        for (int x = 0; x < screen.width(); x++) {
            if (now[size_t(y * screen.width() + x)] != before[size_t(y * screen.width() + x)]) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

std::vector<int> Range(int first, int count)
{
    std::vector<int> v;
    for (int i = 0; i < count; i++) {
        v.push_back(first + i);
    }
    return v;
}

TEST(GfxDarken, HalvesEveryChannel)
{
    const uint16_t cases[][2] = {{0xFFFF, 0x7BEF}, {0x0821, 0x0000}, {0xF800, 0x7800}, {0x07E0, 0x03E0},
                                 {0x001F, 0x000F}, {0x1042, 0x0821}};
    for (const auto &k : cases) {
        ScreenTarget screen(640, 32);
        screen.Fill(k[0]);
        GFX_DarkenRows(0);
        EXPECT_EQ(screen.at(0, 0), k[1]) << std::hex << k[0];
        EXPECT_EQ(screen.at(639, 15), k[1]) << std::hex << k[0];
        EXPECT_EQ(screen.at(0, 16), k[0]);
    }
}

TEST(GfxDarken, BandHeightAndClipping)
{
    struct Case {
        int width, height, y;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {640, 480, 100, Range(100, 16)}, // the band of the 640-wide screens
        {400, 300, 100, Range(100, 9)},  // narrower screens have shorter lines of text
        {320, 200, 195, Range(195, 5)},  // cut at the bottom
        {640, 480, -10, Range(0, 6)},    // cut at the top
        {640, 480, -16, {}},
        {640, 480, 480, {}},
        {640, 480, INT32_MAX, {}},
        {640, 480, INT32_MIN, {}},
    };
    for (const Case &k : cases) {
        ScreenTarget screen(k.width, k.height);
        const std::vector<uint16_t> before = screen.Frame();
        GFX_DarkenRows(k.y);
        EXPECT_EQ(ChangedRows(screen, before), k.rows) << k.width << " x " << k.height << " at " << k.y;
        EXPECT_TRUE(screen.GuardIntact());
    }
}

TEST(GfxDarken, AnOddWidthDarkensItsLastPixelAlone)
{
    ScreenTarget screen(5, 2);
    screen.Fill(0xFFFF);
    GFX_DarkenRows(0);
    for (int x = 0; x < 5; x++) {
        EXPECT_EQ(screen.at(x, 1), 0x7BEF) << x;
    }
    EXPECT_TRUE(screen.GuardIntact());
}

TEST(GfxBands, MixHalfwayTowardTheirColour)
{
    struct Case {
        void (*band)(int32_t);
        int row;
        uint16_t low, high;         // the pair before
        uint16_t low_out, high_out; // and after
    };
    const Case cases[] = {
        {GFX_BlendBarRed, 370, 0x0000, 0x0000, 0x7800, 0x7800},
        {GFX_BlendBarCyan, 374, 0x0000, 0x0000, 0x03EF, 0x03EF},
        {GFX_BlendBarCyan, 374, 0xFFFF, 0xFFFF, 0x7FDF, 0x7FDE},
        {GFX_BlendBarWhite, 380, 0x0000, 0x0000, 0x7BEF, 0x7BEF},
        // The lower pixel's sum overflows 16 bits: its carry goes into the upper pixel's bit 0, which
        // the shift brings back as the lower pixel's top bit.
        {GFX_BlendBarWhite, 380, 0xF800, 0x0000, 0xF3EF, 0x7BEF},
        {GFX_BlendBarWhite, 380, 0xFFFF, 0xFFFF, 0xF7DF, 0xF7DE},
    };
    for (const Case &k : cases) {
        ScreenTarget screen(640, 480);
        for (int y = k.row; y < k.row + 2; y++) {
            for (int x = 0; x < 640; x += 2) {
                screen.at(x, y) = k.low;
                screen.at(x + 1, y) = k.high;
            }
        }
        k.band(10);
        for (int y = k.row; y < k.row + 2; y++) {
            EXPECT_EQ(screen.at(20, y), k.low_out) << std::hex << k.low << " " << k.high;
            EXPECT_EQ(screen.at(29, y), k.high_out) << std::hex << k.low << " " << k.high;
            EXPECT_EQ(screen.at(19, y), k.high);
            EXPECT_EQ(screen.at(30, y), k.low);
        }
    }
}

TEST(GfxBands, RowsAndLengthsByScreenHeight)
{
    struct Case {
        int width, height, n;
        int rows[3];  // red, cyan, white
        int pixels;   // per row
    };
    const Case cases[] = {
        {640, 480, 100, {370, 374, 380}, 100}, {320, 400, 100, {370, 374, 380}, 100},
        {400, 300, 100, {277, 280, 285}, 100}, {320, 200, 100, {185, 187, 190}, 50},
        {320, 200, 9, {185, 187, 190}, 6},     {320, 200, 8, {185, 187, 190}, 4},
        {640, 480, 7, {370, 374, 380}, 6},
    };
    void (*const bands[3])(int32_t) = {GFX_BlendBarRed, GFX_BlendBarCyan, GFX_BlendBarWhite};
    for (const Case &k : cases) {
        for (int b = 0; b < 3; b++) {
            ScreenTarget screen(k.width, k.height);
            screen.Fill(0);
            bands[b](k.n);
            const std::vector<uint16_t> f = screen.Frame();
            std::vector<int> rows;
            int first = -1, last = -1;
            for (int y = 0; y < k.height; y++) {
                for (int x = 0; x < k.width; x++) {
                    if (f[size_t(y * k.width + x)] != 0) {
                        if (rows.empty() || rows.back() != y) {
                            rows.push_back(y);
                        }
                        first = first < 0 ? x : std::min(first, x);
                        last = std::max(last, x);
                    }
                }
            }
            EXPECT_EQ(rows, Range(k.rows[b], 2)) << k.height << " band " << b;
            EXPECT_EQ(first, 20);
            EXPECT_EQ(last - first + 1, k.pixels) << k.height << " band " << b << " n " << k.n;
        }
    }
}

TEST(GfxBands, ClippedToTheScreen)
{
    struct Case {
        int width, height, n, last_x; // last_x -1: nothing drawn
    };
    const Case cases[] = {
        {320, 480, 1000, 319},     // longer than the row
        {325, 480, 1000, 323},     // an odd width: the pair that would cross the edge is left out
        {21, 480, 1000, -1},       // no pair fits
        {10, 480, 1000, -1},       // the band starts beyond the row
        {640, 371, 100, 119},      // only the red band's first row is on the screen
        {640, 100, 100, -1},       // all rows below the screen
        {640, 480, 1, -1},         // no pair
        {640, 480, 0, -1},
        {640, 480, -50, -1},
        {640, 480, INT32_MIN, -1},
    };
    for (const Case &k : cases) {
        ScreenTarget screen(k.width, k.height);
        screen.Fill(0);
        GFX_BlendBarRed(k.n);
        const std::vector<uint16_t> f = screen.Frame();
        int last = -1;
        for (size_t i = 0; i < f.size(); i++) {
            if (f[i] != 0) {
                last = std::max(last, int(i % size_t(k.width)));
            }
        }
        EXPECT_EQ(last, k.last_x) << k.width << " x " << k.height << " n " << k.n;
        EXPECT_TRUE(screen.GuardIntact());
    }
}

TEST(GfxAverage, AFrameWithItselfLosesTheMaskedBits)
{
    ScreenTarget screen(64, 8);
    screen.FillPattern();
    for (int x = 0; x < 8; x++) {
        screen.at(x, 0) = 0xFFFF;
    }
    const std::vector<uint16_t> before = screen.Frame();
    uint16_t *const saved = SCR_ShownFrame;
    SCR_ShownFrame = SCR_FrameBuffer;
    GFX_AverageBuffers();
    SCR_ShownFrame = saved;
    const std::vector<uint16_t> after = screen.Frame();
    for (size_t i = 0; i < after.size(); i++) {
        const uint16_t mask = (i & 1) != 0 ? 0xF7DE : 0xF7DF;
        ASSERT_EQ(after[i], before[i] & mask) << i;
    }
    EXPECT_EQ(after[0], 0xF7DF);
    EXPECT_EQ(after[1], 0xF7DE);
}

TEST(GfxOld, PlottersKeepToTheir640By400Buffer)
{
    struct Case {
        int x, y;
        bool pixel, block;
    };
    const Case cases[] = {
        {0, 0, true, true},     {639, 399, true, false}, {638, 398, true, true}, {640, 0, false, false},
        {0, 400, false, false}, {-1, 0, false, false},   {0, -1, false, false},  {639, 0, true, false},
        {0, 399, true, false},  {INT32_MIN, 5, false, false},
    };
    for (const Case &k : cases) {
        std::vector<uint16_t> buffer(640 * 400, 0x1234);
        GFX_PlotPixel(k.x, k.y, buffer.data());
        const size_t lit = size_t(std::count(buffer.begin(), buffer.end(), 0xFFFF));
        EXPECT_EQ(lit, k.pixel ? 1u : 0u) << k.x << ", " << k.y;
        if (k.pixel) {
            EXPECT_EQ(buffer[size_t(k.y * 640 + k.x)], 0xFFFF);
        }
        std::fill(buffer.begin(), buffer.end(), 0x1234);
        GFX_PlotBlock(k.x, k.y, 0x13, buffer.data());
        const size_t block = size_t(std::count(buffer.begin(), buffer.end(), 0x081F));
        EXPECT_EQ(block, k.block ? 4u : 0u) << k.x << ", " << k.y;
        if (k.block) {
            EXPECT_EQ(buffer[size_t((k.y + 1) * 640 + k.x + 1)], 0x081F);
        }
    }
    // ((colour << 7) & 0x7C00) | 0x1F: the colour's bits 3..7 as 15-bit red, full blue, nothing else.
    std::vector<uint16_t> buffer(640 * 400, 0);
    const uint16_t colours[][2] = {{0xFFFF, 0x7C1F}, {0x20, 0x101F}, {0x07, 0x001F}, {0xF8, 0x7C1F}};
    for (const auto &c : colours) {
        GFX_PlotBlock(2, 2, int32_t(int16_t(c[0])), buffer.data());
        EXPECT_EQ(buffer[2 * 640 + 2], c[1]) << std::hex << c[0];
    }

    EXPECT_EQ(GFX_ReadPixel(buffer.data(), 2, 2), 0);
    const std::vector<uint16_t> kept = buffer;
    GFX_PlotPixelClipped(buffer.data(), 2, 2);
    GFX_Nop();
    EXPECT_EQ(buffer, kept);
}

TEST(GfxOld, ConversionsThroughTheTable)
{
    std::vector<uint32_t> table(65536);
    for (uint32_t i = 0; i < 65536; i++) {
        table[i] = i * 0x10001u ^ 0xA5000000u;
    }
    // Exactly the sizes the routines read and write.
    std::vector<uint8_t> source(256000);
    for (size_t i = 0; i < source.size(); i++) {
        source[i] = uint8_t(i * 13 + i / 256);
    }
    std::vector<uint8_t> target(512000, 0);
    GFX_ConvertPairs(source.data(), target.data(), table.data());
    for (size_t round : {size_t(0), size_t(1), size_t(31999), size_t(63999)}) {
        for (size_t half = 0; half < 2; half++) {
            uint16_t v;
            uint32_t out;
            std::memcpy(&v, &source[round * 4 + half * 2], 2);
            std::memcpy(&out, &target[round * 8 + half * 4], 4);
            EXPECT_EQ(out, table[v]) << round;
        }
    }

    std::vector<uint8_t> seg_source(128000);
    for (size_t i = 0; i < seg_source.size(); i++) {
        seg_source[i] = uint8_t(i * 7 + i / 8);
    }
    std::vector<uint8_t> seg_target(128000, 0);
    GFX_ConvertPairsSeg(seg_source.data(), seg_target.data(), table.data());
    for (size_t round : {size_t(0), size_t(5), size_t(15999)}) {
        const uint8_t *s = &seg_source[round * 8];
        uint32_t out[2];
        std::memcpy(out, &seg_target[round * 8], 8);
        EXPECT_EQ(out[0], table[s[0] | s[2] << 8]) << round;
        EXPECT_EQ(out[1], table[s[0] | s[4] << 8]) << round;
    }
}

TEST(GfxOld, CopyDwords)
{
    const uint8_t from[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (int count : {-1, 0, 2, 3}) {
        uint8_t to[12] = {};
        GFX_CopyDwordsSeg(to, from, count);
        const int copied = count > 0 ? count * 4 : 0;
        for (int i = 0; i < 12; i++) {
            EXPECT_EQ(to[i], i < copied ? from[i] : 0) << count << " " << i;
        }
    }
}

TEST(GfxOld, ScratchFillsAndTheTimedCopy)
{
    std::memset(GFX_ScratchArea, 0, sizeof GFX_ScratchArea);
    GFX_FillScratch();
    EXPECT_EQ(GFX_ScratchArea[0], 0x7F);
    EXPECT_EQ(GFX_ScratchArea[GFX_OLD_BYTES - 1], 0x7F);
    EXPECT_EQ(GFX_ScratchArea[GFX_OLD_BYTES], 0);

    // The copy brings the old buffer's zeros, the fill covers it from byte 1 to the area's end, and
    // the cycles of both go to the third value: none, since the headless counter stands still.
    PROF_CycleValues[2] = 0xDEADBEEF;
    GFX_TimeMemory();
    EXPECT_EQ(GFX_ScratchArea[0], 0);
    EXPECT_EQ(GFX_ScratchArea[1], 0x7F);
    EXPECT_EQ(GFX_ScratchArea[GFX_OLD_BYTES], 0x7F);
    EXPECT_EQ(PROF_CycleValues[2], 0u);
}

TEST(GfxScreenGolden, EffectsOverTheTestCard)
{
    for (const auto &size : {std::pair{640, 480}, std::pair{320, 200}}) {
        const Picture p = ScreenEffectsPicture(size.first, size.second);
        const std::string name =
            "screen-effects-" + std::to_string(size.first) + "x" + std::to_string(size.second);
        EXPECT_TRUE(MatchesGolden(name, p.pixels.data(), p.width, p.height, false));
    }
}

} // namespace
} // namespace kalder_test
