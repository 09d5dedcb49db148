// The sprite blitters and the colour mixing: placement and clipping, the six modes in both pixel
// formats, halving, the faded and masked sprites, gauges, the red bar, the blenders and the sheets.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "engine3d/gfx_sprite.h"
#include "interface/spr.h"
#include "tests/support/golden.h"
#include "tests/support/screen_target.h"
#include "tests/support/sprite_frames.h"

namespace kalder_test {
namespace {

constexpr uint16_t kBackground = 0x4A69; // R 9, G 19 (upper five bits 9), B 9
constexpr uint16_t kYellow = 0xFFE0;     // palette entry 5

class GfxSpriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BLEND_BuildTables();
        GFX_BlendAlpha = 0;
    }
};

void Draw(SpriteFrame &f, int32_t x, int32_t y, uint32_t flags, uint8_t fade = 1, uint8_t hw = 0, uint8_t hh = 0,
          uint8_t dim = 0)
{
    GFX_BlitRecord record{x, y, flags, f.get()};
    GFX_DrawSprite(&record, fade, hw, hh, dim);
}

// What an alpha pixel becomes: the background at 0, the colour from 63, else the blender's mix.
uint16_t AlphaPixel(uint16_t d, uint16_t c, uint32_t a)
{
    if (a == 0) {
        return d;
    }
    if (a >= 63) {
        return c;
    }
    GFX_BlendAlpha = uint8_t(a);
    return GFX_BlendPixel16(d, c);
}

// A frame of 1-byte pixels whose indices all differ from their neighbours and are never 0.
SpriteFrame NumberedFrame(int w, int h, int hot_x = 0, int hot_y = 0)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            pixels.push_back(uint8_t(1 + (x * 7 + y * 31) % 251));
        }
    }
    return SpriteFrame(w, h, std::move(pixels), hot_x, hot_y);
}

// The screen as an opaque draw of `f` with its top-left at (x0, y0) must leave it: each pixel inside
// the drawn area from source column (x - x0) x sx and row (y - y0) x sy, the pattern elsewhere.
void ExpectOpaqueAt(const ScreenTarget &screen, const SpriteFrame &f, int64_t x0, int64_t y0, int sx, int sy)
{
    const std::vector<uint16_t> frame = screen.Frame();
    const int64_t w = f.entry.width / sx, h = f.entry.height / sy;
    int wrong = 0;
    for (int y = 0; y < screen.height(); y++) {
        for (int x = 0; x < screen.width(); x++) {
            uint16_t want = ScreenTarget::Pattern(x, y);
            if (x >= x0 && x < x0 + w && y >= y0 && y < y0 + h) {
                want = TestPalette()[f.pixels[size_t((y - y0) * sy * f.entry.width + (x - x0) * sx)]];
            }
            const uint16_t got = frame[size_t(y * screen.width() + x)];
            if (got != want && wrong++ < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", want " << want;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(screen.GuardIntact());
}

TEST_F(GfxSpriteTest, PlacementAndClippingKeepEachSourcePixelInItsPlace)
{
    struct Case {
        const char *what;
        int32_t x, y, hot_x, hot_y;
        uint8_t hw, hh;
        int64_t x0, y0; // where the top-left lands
    };
    const Case cases[] = {
        {"right edge exactly at x = 0", -6, 50, 0, 0, 0, 0, -6, 50},
        {"one pixel further: the last column at x = 0", -5, 50, 0, 0, 0, 0, -5, 50},
        {"inside, hot spot applied", 50, 60, 2, 1, 0, 0, 48, 59},
        {"cut by the left edge", -3, 80, 0, 0, 0, 0, -3, 80},
        {"cut by the right edge", 317, 80, 0, 0, 0, 0, 317, 80},
        {"cut by the top edge", 100, -2, 0, 0, 0, 0, 100, -2},
        {"cut by the bottom edge", 100, 197, 0, 0, 0, 0, 100, 197},
        {"top-left corner", 1, 0, 4, 3, 0, 0, -3, -3},
        {"bottom-right corner", 318, 198, 0, 0, 0, 0, 318, 198},
        {"wholly left", -100, 50, 0, 0, 0, 0, -100, 50},
        {"wholly right", 320, 50, 0, 0, 0, 0, 320, 50},
        {"wholly above: bottom edge exactly at y = 0", 10, -5, 0, 0, 0, 0, 10, -5},
        {"wholly below", 10, 200, 0, 0, 0, 0, 10, 200},
        {"x near INT32_MAX, hot x negative", INT32_MAX, 10, -10, 0, 0, 0, int64_t(INT32_MAX) + 10, 10},
        {"x at INT32_MIN, hot x at INT32_MAX", INT32_MIN, 10, INT32_MAX, 0, 0, 0, int64_t(INT32_MIN) - INT32_MAX, 10},
        {"x and hot x near INT32_MAX cancel", INT32_MAX, 10, INT32_MAX - 100, 0, 0, 0, 100, 10},
        {"y and hot y near INT32_MIN cancel", 20, INT32_MIN + 5, 0, INT32_MIN, 0, 0, 20, 5},
        {"both halvings, cut by the left edge", -5, 40, 0, 0, 1, 1, -5, 40},
        {"both halvings, cut by the right edge", 317, 40, 0, 0, 1, 1, 317, 40},
        {"both halvings, cut by the top edge", 40, -2, 0, 0, 1, 1, 40, -2},
        {"both halvings, cut by the bottom edge", 40, 197, 0, 0, 1, 1, 40, 197},
        {"width halved, cut by the left edge", -4, 40, 0, 0, 1, 0, -4, 40},
        {"height halved, cut by the top edge", 40, -3, 0, 0, 0, 1, 40, -3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScreenTarget screen(320, 200);
        const bool halving = c.hw || c.hh;
        SpriteFrame f = halving ? NumberedFrame(12, 10, c.hot_x, c.hot_y) : NumberedFrame(6, 5, c.hot_x, c.hot_y);
        Draw(f, c.x, c.y, GFX_BLIT_OPAQUE, 1, c.hw, c.hh);
        ExpectOpaqueAt(screen, f, c.x0, c.y0, c.hw ? 2 : 1, c.hh ? 2 : 1);
    }
}

TEST_F(GfxSpriteTest, HalvingTakesTheEvenColumnsOfTheEvenRows)
{
    SpriteFrame f = NumberedFrame(32, 32);
    const struct {
        uint8_t hw, hh;
    } halvings[] = {{1, 1}, {1, 0}, {0, 1}};
    for (auto [hw, hh] : halvings) {
        SCOPED_TRACE(testing::Message() << "halve width " << int(hw) << ", height " << int(hh));
        ScreenTarget screen(320, 200);
        Draw(f, 100, 50, GFX_BLIT_OPAQUE, 1, hw, hh);
        ExpectOpaqueAt(screen, f, 100, 50, hw ? 2 : 1, hh ? 2 : 1);
    }
    // Clipped at each edge, the halved frame equals the matching region of the unclipped draw.
    const int32_t places[][2] = {{-7, 60}, {311, 60}, {150, -9}, {150, 191}, {-3, -5}, {309, 189}};
    for (auto [x, y] : places) {
        SCOPED_TRACE(testing::Message() << "at " << x << ", " << y);
        ScreenTarget screen(320, 200);
        Draw(f, x, y, GFX_BLIT_OPAQUE, 1, 1, 1);
        ExpectOpaqueAt(screen, f, x, y, 2, 2);
    }
}

// Modes over the glyph row "5 . 5" at (10, 10) of a known background: the four pixels from x = 10.
TEST_F(GfxSpriteTest, ModesByFormatAndDimming)
{
    SpriteFrame one_byte({"5.5"});
    SpriteFrame alpha40({"5.5"}, [](int, int, uint8_t) -> uint8_t { return 40; });
    struct Case {
        const char *mode;
        uint32_t flags;
        bool rgb555, dim;
        uint16_t want[4];
    };
    const uint16_t B = kBackground;
    const Case cases[] = {
        {"plain", 0, false, false, {kYellow, 0x19E7, kYellow, 0x19E7}},
        {"plain", 0, false, true, {0x7BE0, 0x0000, 0x7BE0, 0x0000}},
        {"plain", 0, true, false, {0x7FE0, 0x0000, 0x7FE0, 0x0000}},
        {"plain", 0, true, true, {0x3DE0, 0x0000, 0x3DE0, 0x0000}},
        {"opaque", GFX_BLIT_OPAQUE, false, false, {kYellow, 0x4208, kYellow, B}},
        {"opaque", GFX_BLIT_OPAQUE, false, true, {0x7BE0, 0x2104, 0x7BE0, B}},
        {"opaque", GFX_BLIT_OPAQUE, true, false, {0x7FE0, 0x2108, 0x7FE0, B}},
        {"opaque", GFX_BLIT_OPAQUE, true, true, {0x3DE0, 0x1084, 0x3DE0, B}},
        {"half", GFX_BLIT_HALF, false, false, {0x9D04, B, 0x9D04, B}},
        {"half", GFX_BLIT_HALF, false, true, {0x4A82, B, 0x4A82, B}},
        {"half", GFX_BLIT_HALF, true, false, {0x6304, B, 0x6304, B}},
        {"half", GFX_BLIT_HALF, true, true, {0x3182, B, 0x3182, B}},
        {"alpha 40", GFX_BLIT_ALPHA, false, false, {0xB583, B, 0xB583, B}},
        {"alpha 40", GFX_BLIT_ALPHA, false, true, {0x6303, B, 0x6303, B}},
        {"alpha 40", GFX_BLIT_ALPHA, true, false, {0x6723, B, 0x6723, B}},
        {"alpha 40", GFX_BLIT_ALPHA, true, true, {0x3DE3, B, 0x3DE3, B}},
        {"faded alpha 40 / 2", GFX_BLIT_FADED, false, false, {0x7BC5, B, 0x7BC5, B}},
        {"faded alpha 40 / 2", GFX_BLIT_FADED, false, true, {0x5285, B, 0x5285, B}},
        {"faded alpha 40 / 2", GFX_BLIT_FADED, true, false, {0x56C5, B, 0x56C5, B}},
        {"faded alpha 40 / 2", GFX_BLIT_FADED, true, true, {0x4225, B, 0x4225, B}},
        {"window", GFX_BLIT_WINDOW, false, false, {kYellow, B, kYellow, B}},
        {"window", GFX_BLIT_WINDOW, false, true, {kYellow, B, kYellow, B}},
        {"window", GFX_BLIT_WINDOW, true, false, {kYellow, B, kYellow, B}},
        {"window", GFX_BLIT_WINDOW, true, true, {kYellow, B, kYellow, B}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << (c.rgb555 ? ", RGB555" : ", RGB565") << (c.dim ? ", dim" : ""));
        ScreenTarget screen(32, 4, c.rgb555);
        screen.Fill(B);
        const bool two_bytes = c.flags & (GFX_BLIT_ALPHA | GFX_BLIT_FADED);
        Draw(two_bytes ? alpha40 : one_byte, 10, 1, c.flags, 2, 0, 0, c.dim);
        std::vector<uint16_t> want(32 * 4, B);
        std::copy(std::begin(c.want), std::end(c.want), want.begin() + 32 + 10);
        EXPECT_EQ(screen.Frame(), want);
    }
}

TEST_F(GfxSpriteTest, PlainEdgePixelStaysInsideTheRow)
{
    SpriteFrame f({"55", "55"});
    ScreenTarget screen(16, 4);
    Draw(f, 14, 1, 0);
    std::vector<uint16_t> want = ScreenTarget(16, 4).Frame();
    for (int y = 1; y <= 2; y++) {
        want[size_t(y * 16 + 14)] = want[size_t(y * 16 + 15)] = kYellow;
    }
    EXPECT_EQ(screen.Frame(), want); // nothing at column 0 of the next row
}

TEST_F(GfxSpriteTest, AlphaModeWritesBlendsOrLeavesByTheAlphaByte)
{
    const struct {
        uint8_t alpha;
        uint16_t want; // 0 = the blender's answer
    } cases[] = {{0, kBackground}, {1, 0x4208}, {2, 0}, {31, 0}, {61, 0}, {62, 0xF780}, {63, kYellow}, {200, kYellow}};
    for (auto [alpha, want] : cases) {
        SCOPED_TRACE(testing::Message() << "alpha " << int(alpha));
        const uint8_t a = alpha;
        SpriteFrame f({"5"}, [a](int, int, uint8_t) { return a; });
        ScreenTarget screen(4, 1);
        screen.Fill(kBackground);
        GFX_BlendAlpha = 77;
        Draw(f, 1, 0, GFX_BLIT_ALPHA);
        const uint16_t got = screen.at(1, 0);
        EXPECT_EQ(GFX_BlendAlpha, alpha >= 1 && alpha <= 62 ? alpha : 77) << "a blend stores its alpha";
        EXPECT_EQ(got, want != 0 ? want : AlphaPixel(kBackground, kYellow, alpha));
    }
}

TEST_F(GfxSpriteTest, FadedAlphaModeDividesTheAlpha)
{
    // Every alpha 0..71 once, over a row of 72 pixels.
    SpriteFrame f({std::string(72, '5')}, [](int x, int, uint8_t) { return uint8_t(x); });
    ScreenTarget alpha_mode(72, 1);
    Draw(f, 0, 0, GFX_BLIT_ALPHA);
    for (uint8_t fade : {1, 0}) {
        SCOPED_TRACE(testing::Message() << "fade " << int(fade) << " draws as the alpha mode");
        ScreenTarget faded(72, 1);
        Draw(f, 0, 0, GFX_BLIT_FADED, fade);
        EXPECT_EQ(faded.Frame(), alpha_mode.Frame());
    }
    ScreenTarget by4(72, 1);
    Draw(f, 0, 0, GFX_BLIT_FADED, 4);
    for (int x = 0; x < 72; x++) {
        EXPECT_EQ(by4.at(x, 0), AlphaPixel(ScreenTarget::Pattern(x, 0), kYellow, uint32_t(x / 4))) << x;
    }
    EXPECT_EQ(by4.at(63, 0), AlphaPixel(ScreenTarget::Pattern(63, 0), kYellow, 15)) << "63 becomes 15";
}

TEST_F(GfxSpriteTest, WindowModeClipsToTheWindowAndTheBuffer)
{
    SpriteFrame f = NumberedFrame(20, 20, 5, 5);
    {
        ScreenTarget screen(640, 480);
        Draw(f, 495, 445, GFX_BLIT_WINDOW);
        int drawn_cols = 0, drawn_rows = 0;
        for (int x = 480; x < 520; x++) {
            drawn_cols += screen.at(x, 445) != ScreenTarget::Pattern(x, 445);
        }
        for (int y = 430; y < 470; y++) {
            drawn_rows += screen.at(491, y) != ScreenTarget::Pattern(491, y);
        }
        EXPECT_EQ(drawn_cols, 10);
        EXPECT_EQ(drawn_rows, 10);
        EXPECT_EQ(screen.at(490, 440), TestPalette()[f.pixels[0]]);
    }
    {
        // A buffer smaller than the window: the frame is cut at the buffer's edges, nothing leaves it.
        ScreenTarget screen(320, 200);
        Draw(f, 315, 195, GFX_BLIT_WINDOW);
        ExpectOpaqueAt(screen, f, 310, 190, 1, 1);
    }
}

TEST_F(GfxSpriteTest, FirstModeFlagChooses)
{
    SpriteFrame f({"5.5", "1a5"}, [](int x, int, uint8_t) { return uint8_t(20 + x * 20); });
    const struct {
        uint32_t flags, as;
    } cases[] = {{0x14, GFX_BLIT_WINDOW},
                 {0x18, GFX_BLIT_ALPHA},
                 {0x0A, GFX_BLIT_FADED},
                 {0x03, GFX_BLIT_HALF},
                 {0x1F, GFX_BLIT_WINDOW},
                 {0x0B, GFX_BLIT_FADED}};
    for (auto [flags, as] : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << std::hex << flags);
        ScreenTarget combined(8, 4);
        Draw(f, 2, 1, flags, 3);
        ScreenTarget single(8, 4);
        Draw(f, 2, 1, as, 3);
        EXPECT_EQ(combined.Frame(), single.Frame());
    }
}

TEST_F(GfxSpriteTest, FadedSpriteBlendsAtSixtyFourOverTheFade)
{
    SpriteFrame f({"5.5"});
    const struct {
        uint8_t fade;
        uint32_t alpha;
    } cases[] = {{0, 64}, {1, 64}, {2, 32}, {3, 21}, {4, 16}, {64, 1}, {65, 0}, {255, 0}};
    for (bool rgb555 : {false, true}) {
        for (auto [fade, alpha] : cases) {
            SCOPED_TRACE(testing::Message() << "fade " << int(fade) << (rgb555 ? ", RGB555" : ""));
            ScreenTarget screen(6, 2, rgb555);
            GFX_BlitRecord record{1, 0, GFX_BLIT_ALPHA, f.get()}; // the flags are not read
            GFX_DrawSpriteFaded(&record, fade, 0, 0);
            const uint16_t c = rgb555 ? 0x7FE0 : kYellow;
            std::vector<uint16_t> want = ScreenTarget(6, 2).Frame();
            want[1] = AlphaPixel(want[1], c, alpha);
            want[3] = AlphaPixel(want[3], c, alpha);
            EXPECT_EQ(screen.Frame(), want) << "index 0 transparent, no edge pixel";
        }
    }
}

TEST_F(GfxSpriteTest, GaugeFillsFromTheBottomByLevel)
{
    // Columns of the markers 0xFF, 0xFE, 0xFD over 40 rows; fills of 64 x 64 in index 2, 3, 4.
    SpriteFrame base(std::vector<std::string>(40, "111"), [](int x, int, uint8_t) { return uint8_t(0xFF - x); });
    const auto fill = [](uint8_t index) {
        return SpriteFrame(std::vector<std::string>(64, std::string(64, char('0' + index))),
                           [](int, int, uint8_t) { return uint8_t(63); });
    };
    SpriteFrame f1 = fill(2), f2 = fill(3), f3 = fill(4);
    const GFX_GaugeRecord gauge{5, 3, base.get(), f1.get(), f2.get(), f3.get()};
    const uint16_t *pal = TestPalette();
    struct Case {
        const char *what;
        int32_t l1, l2, l3, mode;
        uint32_t options;
        int rows;             // drawn rows
        int from[3];          // first drawn row that each column fills (rows rows = none)
        uint16_t bar_low, bar_high; // mode != 0: the third column's colours (0 = unchanged)
        bool rgb555;
    };
    const Case cases[] = {
        {"levels 0: the bottom 20, 20 and 5 rows", 0, 0, 0, 0, 0, 40, {20, 20, 35}, 0, 0, false},
        {"levels 10, 25, 3", 10, 25, 3, 0, 0, 40, {10, 0, 32}, 0, 0, false},
        {"levels below minus the offsets: nothing", -21, -21, -6, 0, 0, 40, {40, 40, 40}, 0, 0, false},
        {"height halved: levels and offsets halved", 8, 0, 5, 0, GFX_GaugeOptions(0, 1, 0), 20, {6, 10, 16}, 0, 0, false},
        {"bar mode, blank 0", 0, 0, 12, 1, 0, 40, {20, 20, 40}, 0x0BFD, 0xE862, false},
        {"bar mode on a 15-bit display", 0, 0, 12, 1, 0, 40, {20, 20, 40}, 0x05FD, 0x7422, true},
        {"bar mode, blank 1", 0, 0, 12, 1, GFX_GaugeOptions(0, 0, 1), 40, {20, 20, 40}, 0, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScreenTarget screen(16, 48, c.rgb555);
        GFX_DrawGaugeSprite(&gauge, c.l1, c.l2, c.l3, c.mode, c.options);
        for (int row = 0; row < 48; row++) {
            for (int col = 0; col < 3; col++) {
                uint16_t want = ScreenTarget::Pattern(5 + col, row);
                const int r = row - 3; // drawn row
                if (r >= 0 && r < c.rows) {
                    if (col == 2 && c.mode != 0) {
                        if (c.bar_low != 0) {
                            // rows left - 5 <= level3: the low colour
                            want = c.rows - r - 5 <= c.l3 ? c.bar_low : c.bar_high;
                        }
                    } else if (r >= c.from[col]) {
                        const uint16_t p = pal[2 + col];
                        want = c.rgb555 ? uint16_t(((p & 0xFFC0) >> 1) | (p & 0x1F)) : p;
                    }
                }
                ASSERT_EQ(screen.at(5 + col, row), want) << "column " << col << ", row " << row;
            }
        }
    }
}

TEST_F(GfxSpriteTest, GaugeReadsFillsAtRowsOf128BytesThroughTheBasePalette)
{
    // Base: 3 x 4 pixels of markers 0xFF, 0xFE, 0xFD and one of alpha 40, 0 and 63 in its last row.
    std::vector<uint8_t> base_pixels;
    const uint8_t markers[4][3] = {{0xFF, 0xFE, 0xFD}, {0xFF, 0xFE, 0xFD}, {0xFF, 0xFE, 0xFD}, {40, 0, 63}};
    for (auto &row : markers) {
        for (uint8_t m : row) {
            base_pixels.push_back(kPalGrey);
            base_pixels.push_back(m);
        }
    }
    SpriteFrame base(3, 4, base_pixels);
    // Fills 32 pixels wide: a gauge row reads every second row of them. Each index byte tells its byte
    // offset; the fill frames' own palette is never used.
    const uint16_t other_palette[256] = {};
    const auto fill = [&](uint8_t tag) {
        std::vector<uint8_t> pixels(32 * 128 * 2);
        for (size_t i = 0; i < pixels.size(); i += 2) {
            pixels[i] = uint8_t(tag + i / 128 * 3 + i % 128 / 2);
            pixels[i + 1] = 63;
        }
        SpriteFrame f(32, 128, std::move(pixels));
        f.entry.palette = other_palette;
        return f;
    };
    SpriteFrame f1 = fill(10), f2 = fill(100), f3 = fill(200);
    const GFX_GaugeRecord gauge{0, 0, base.get(), f1.get(), f2.get(), f3.get()};
    ScreenTarget screen(4, 4);
    screen.Fill(kBackground);
    GFX_DrawGaugeSprite(&gauge, 100, 100, 100, 0, 0);
    const uint16_t *pal = TestPalette();
    for (int row = 0; row < 3; row++) {
        for (int col = 0; col < 3; col++) {
            const uint8_t tags[] = {10, 100, 200};
            EXPECT_EQ(screen.at(col, row), pal[uint8_t(tags[col] + row * 3 + col)]) << col << ", " << row;
        }
    }
    EXPECT_EQ(screen.at(0, 3), AlphaPixel(kBackground, pal[kPalGrey], 40)) << "another marker is the alpha";
    EXPECT_EQ(screen.at(1, 3), kBackground);
    EXPECT_EQ(screen.at(2, 3), pal[kPalGrey]);

    // Halving width and height: four bytes a column, two fill rows of 128 bytes a drawn row.
    SpriteFrame wide(6, 6, std::vector<uint8_t>(72, 0));
    for (size_t i = 0; i < 72; i += 2) {
        wide.pixels[i] = kPalGrey;
        wide.pixels[i + 1] = 0xFF;
    }
    const GFX_GaugeRecord halved{0, 0, wide.get(), f1.get(), f2.get(), f3.get()};
    ScreenTarget small(4, 4);
    GFX_DrawGaugeSprite(&halved, 100, 100, 100, 0, GFX_GaugeOptions(1, 1, 0));
    for (int row = 0; row < 3; row++) {
        for (int col = 0; col < 3; col++) {
            EXPECT_EQ(small.at(col, row), pal[uint8_t(10 + row * 2 * 3 + col * 2)]) << col << ", " << row;
        }
    }
}

TEST_F(GfxSpriteTest, GaugeReadsIndexZeroPastAShortFill)
{
    // A 2 x 3 base of fill-1 markers over fills of 128 bytes (one 128-byte row) and of 130 bytes.
    SpriteFrame base({"11", "11", "11"}, [](int, int, uint8_t) { return uint8_t(0xFF); });
    for (int fill_pixels : {64, 65}) {
        SCOPED_TRACE(testing::Message() << "fill of " << fill_pixels * 2 << " bytes");
        SpriteFrame fill(fill_pixels, 1, std::vector<uint8_t>(size_t(fill_pixels) * 2, 0));
        for (size_t i = 0; i < fill.pixels.size(); i += 2) {
            fill.pixels[i] = kPalRed;
            fill.pixels[i + 1] = 63;
        }
        const GFX_GaugeRecord gauge{0, 0, base.get(), fill.get(), fill.get(), fill.get()};
        ScreenTarget screen(2, 3);
        GFX_DrawGaugeSprite(&gauge, 100, 0, 0, 0, 0);
        // Offsets: row 0 at 0 and 2, row 1 at 128 and 130, row 2 at 256 and 258 (+1 for the alpha).
        for (int row = 0; row < 3; row++) {
            for (int col = 0; col < 2; col++) {
                const bool inside = row * 128 + col * 2 + 1 < fill_pixels * 2;
                EXPECT_EQ(screen.at(col, row), inside ? 0xF800 : ScreenTarget::Pattern(col, row)) << col << ", " << row;
            }
        }
        EXPECT_TRUE(screen.GuardIntact());
    }
}

TEST_F(GfxSpriteTest, ChannelBlendersAndTheProductTables)
{
    EXPECT_EQ(BLEND_Table32[31 * 32 + 31], 961u);
    EXPECT_EQ(BLEND_Table64[63 * 64 + 63], 3969u);
    EXPECT_EQ(BLEND_Table32[7 * 32 + 3], 21u);
    EXPECT_EQ(BLEND_Table64[5 * 64 + 60], 300u);
    const uint32_t alphas[] = {0, 1, 2, 31, 62, 63}, values32[] = {0, 1, 17, 31}, values64[] = {0, 1, 40, 63};
    for (uint32_t a : alphas) {
        for (uint32_t x : values32) {
            for (uint32_t y : values32) {
                EXPECT_EQ(GFX_BlendChannel(a, x, y), ((31 - a / 2) * x + (a / 2) * y) >> 5)
                    << a << " " << x << " " << y;
            }
        }
        for (uint32_t x : values64) {
            for (uint32_t y : values64) {
                EXPECT_EQ(GFX_BlendChannel64(a, x, y), ((63 - a) * x + a * y) >> 6) << a << " " << x << " " << y;
            }
        }
    }
    // Arguments out of range act as the largest one in range.
    for (uint32_t big : {64u, 200u, 0xFFFFFFFFu}) {
        EXPECT_EQ(GFX_BlendChannel(big, 10, 20), GFX_BlendChannel(63, 10, 20));
        EXPECT_EQ(GFX_BlendChannel(40, big, big), GFX_BlendChannel(40, 31, 31));
        EXPECT_EQ(GFX_BlendChannel64(big, 10, 20), GFX_BlendChannel64(63, 10, 20));
        EXPECT_EQ(GFX_BlendChannel64(40, big, 5), GFX_BlendChannel64(40, 63, 5));
        EXPECT_EQ(GFX_BlendChannel64(40, 5, big), GFX_BlendChannel64(40, 5, 63));
    }
}

TEST_F(GfxSpriteTest, PixelBlenderSplitsAndPacksEachFormat)
{
    struct Case {
        bool rgb555;
        uint8_t alpha;
        uint16_t d, s, want;
    };
    const Case cases[] = {
        {false, 32, 0xFFFF, 0x0000, 0x738E}, // (15 x 31) >> 5 = 14 a channel
        {true, 32, 0x7FFF, 0x0000, 0x39CE},
        {false, 62, 0xF800, 0x001F, 0x001E}, // red stays red, blue stays blue
        {true, 20, 0x7C00, 0x03E0, 0x5120},
        {false, 32, 0x07E0, 0x07E0, 0x0780}, // green with itself: 30 on five bits, bit 5 clear
        {false, 32, 0x0000, 0x07E0, 0x03C0}, // green over black: 15
        {false, 63, 0x0020, 0x0020, 0x0000}, // the lowest green bit never survives
        {false, 200, 0x0000, 0xFFFF, 0xF79E}, // alpha above 63 acts as 63
    };
    for (const Case &c : cases) {
        ScreenTarget format(1, 1, c.rgb555);
        GFX_BlendAlpha = c.alpha;
        const uint16_t got = GFX_BlendPixel16(c.d, c.s);
        EXPECT_EQ(got, c.want) << std::hex << c.d << " " << c.s << " alpha " << std::dec << int(c.alpha);
        if (!c.rgb555) {
            EXPECT_EQ(got & 0x20, 0);
        }
    }
    // Every alpha: the pixel is the channels mixed one by one and packed again.
    for (bool rgb555 : {false, true}) {
        ScreenTarget format(1, 1, rgb555);
        const int red = rgb555 ? 10 : 11, green = rgb555 ? 5 : 6;
        for (uint32_t a = 0; a < 64; a++) {
            for (auto [d, s] : {std::pair<uint16_t, uint16_t>{0x4A69, 0xFFE0}, {0x1234, 0x7ABC}, {0xFFFF, 0x0000}}) {
                const auto channel = [&](int shift) {
                    return GFX_BlendChannel(a, d >> shift & 31, s >> shift & 31) << shift;
                };
                GFX_BlendAlpha = uint8_t(a);
                EXPECT_EQ(GFX_BlendPixel16(d, s), channel(red) | channel(green) | channel(0))
                    << (rgb555 ? "RGB555" : "RGB565") << ", alpha " << a << std::hex << ", " << d << " under " << s;
            }
        }
    }
}

TEST_F(GfxSpriteTest, RedBarCoversTheTopTenRowsOfItsColumns)
{
    for (int32_t n : {1, 5, 0, -3, 100000}) {
        for (bool rgb555 : {false, true}) {
            SCOPED_TRACE(testing::Message() << "n " << n << (rgb555 ? ", RGB555" : ""));
            ScreenTarget screen(320, 200, rgb555);
            GFX_DrawRedBar(n);
            const int cols = std::clamp(n, 1, 320);
            for (int y = 0; y < 12; y++) {
                for (int x = 0; x < 320; x++) {
                    const uint16_t want = x < cols && y < 10 ? 0xF800 : ScreenTarget::Pattern(x, y);
                    ASSERT_EQ(screen.at(x, y), want) << x << ", " << y;
                }
            }
            EXPECT_TRUE(screen.GuardIntact());
        }
    }
}

// A 64 x 128 frame of 2-byte pixels: index 5 in the top half, and a second byte that tells its row.
SpriteFrame MaskFrame(int width, int height)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; i++) {
        const int row = i / 64;
        pixels.push_back(row < 64 ? kPalYellow : 0);
        pixels.push_back(uint8_t((row * 7 + 3) % 64));
    }
    return SpriteFrame(width, height, std::move(pixels));
}

TEST_F(GfxSpriteTest, MaskedSpriteSlidesItsMaskByLevel)
{
    for (int32_t level : {0, 32, 64, -5, 99}) {
        SCOPED_TRACE(testing::Message() << "level " << level);
        SpriteFrame f = MaskFrame(128, 64);
        ScreenTarget screen(80, 70);
        GFX_BlitRecord record{8, 3, 0, f.get()};
        GFX_DrawSpriteHalf(&record, level, 0, 0);
        EXPECT_EQ(f.entry.width, 64);
        EXPECT_EQ(f.entry.height, 128);
        const int below = 64 - std::clamp(level, 0, 64); // rows between a pixel and its alpha
        for (int y = 0; y < 70; y++) {
            for (int x = 0; x < 80; x++) {
                uint16_t want = ScreenTarget::Pattern(x, y);
                if (x >= 8 && x < 72 && y >= 3 && y < 67) {
                    want = AlphaPixel(want, kYellow, uint32_t(((y - 3 + below) * 7 + 3) % 64));
                }
                ASSERT_EQ(screen.at(x, y), want) << x << ", " << y;
            }
        }
    }
    // Halved both ways: 32 x 32 pixels from the even columns of the even rows, each with its mask.
    SpriteFrame f = MaskFrame(64, 128);
    ScreenTarget screen(40, 40);
    GFX_BlitRecord record{0, 0, 0, f.get()};
    GFX_DrawSpriteHalf(&record, 16, 1, 1);
    for (int y = 0; y < 40; y++) {
        for (int x = 0; x < 40; x++) {
            const uint16_t want = x < 32 && y < 32 ? AlphaPixel(ScreenTarget::Pattern(x, y), kYellow,
                                                                uint32_t(((2 * y + 48) * 7 + 3) % 64))
                                                   : ScreenTarget::Pattern(x, y);
            ASSERT_EQ(screen.at(x, y), want) << x << ", " << y;
        }
    }
}

TEST_F(GfxSpriteTest, MaskedSpriteRefusesAFrameTooSmallForItsMask)
{
    for (auto [w, h] : {std::pair{63, 128}, std::pair{64, 127}, std::pair{200, 40}, std::pair{-64, -128}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        SpriteFrame f(64, 128, std::vector<uint8_t>(64 * 128 * 2, 5));
        f.entry.width = w;
        f.entry.height = h;
        ScreenTarget screen(80, 80);
        GFX_BlitRecord record{0, 0, 0, f.get()};
        GFX_DrawSpriteHalf(&record, 32, 0, 0);
        EXPECT_EQ(f.entry.width, w);
        EXPECT_EQ(f.entry.height, h);
        EXPECT_EQ(screen.Frame(), ScreenTarget(80, 80).Frame());
    }
}

TEST_F(GfxSpriteTest, EmptyFramesDrawNothing)
{
    SpriteFrame f({"55"});
    f.entry.pixels = nullptr;
    ScreenTarget screen(8, 8);
    for (uint32_t flags : {0u, GFX_BLIT_WINDOW, GFX_BLIT_ALPHA}) {
        Draw(f, 1, 1, flags);
    }
    GFX_BlitRecord record{1, 1, 0, nullptr};
    GFX_DrawSprite(&record, 1, 0, 0, 0);
    GFX_DrawSpriteFaded(&record, 1, 0, 0);
    GFX_DrawSpriteHalf(&record, 0, 0, 0);
    EXPECT_EQ(screen.Frame(), ScreenTarget(8, 8).Frame());
}

TEST_F(GfxSpriteTest, SheetsMatchTheirGoldens)
{
    for (bool rgb555 : {false, true}) {
        ScreenTarget screen(320, 240, rgb555);
        DrawSpriteSheet();
        // The red bar and the gauge's bar colours are written as they stand, top bit included, which a
        // 15-bit picture does not hold.
        std::vector<uint16_t> frame = screen.Frame();
        for (uint16_t &p : frame) {
            p = rgb555 ? uint16_t(p & 0x7FFF) : p;
        }
        EXPECT_TRUE(MatchesGolden(rgb555 ? "sprites-555" : "sprites-565", frame.data(), 320, 240, rgb555));
        EXPECT_TRUE(screen.GuardIntact());
    }
    ScreenTarget screen(320, 200);
    DrawClippedSheet();
    EXPECT_TRUE(MatchesGolden("sprites-clipped", screen.pixels(), 320, 200, false));
    EXPECT_TRUE(screen.GuardIntact());
}

} // namespace
} // namespace kalder_test
