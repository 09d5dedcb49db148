// The debug drawing: the font's columns, bold, clipping of text and lines at every border, Bresenham's
// steps, the limits of the coordinates, the pixel, the axes and the debug picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine3d/draw2d.h"
#include "engine3d/maths.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "tests/support/gfx_pictures.h"
#include "tests/support/golden.h"

namespace kalder_test {
namespace {

using Points = std::set<std::pair<int, int>>;

constexpr uint16_t kInk = 0xF81F;

// A buffer of the library's screen size with a guard behind it; the view is put back afterwards.
class Draw2dTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = OBJ_View; }
    void TearDown() override { OBJ_View = saved_; }

    void Screen(int w, int h)
    {
        Set_Screen_Size(w, h);
        w_ = w;
        h_ = h;
        store_.assign(size_t(w) * size_t(h) + kGuard, 0);
    }
    uint16_t *buffer() { return store_.data(); }
    Points Lit() const
    {
        Points p;
        for (int y = 0; y < h_; y++) {
            for (int x = 0; x < w_; x++) {
                if (store_[size_t(y * w_ + x)] != 0) {
                    p.insert({x, y});
                }
            }
        }
        return p;
    }
    bool GuardIntact() const
    {
        for (size_t i = size_t(w_) * size_t(h_); i < store_.size(); i++) {
            if (store_[i] != 0) {
                return false;
            }
        }
        return true;
    }

    static constexpr size_t kGuard = 64;
    int w_ = 0, h_ = 0;
    std::vector<uint16_t> store_;

private:
    OBJ_ViewParams saved_{};
};

// The lit columns of a glyph row as drawn, relative to the cell's x.
TEST_F(Draw2dTest, GlyphsSitRightAlignedInTheirCells)
{
    // The vertical bar '|' lights bit 4 (0x10) in its rows: column x + cellWidth - 4.
    ASSERT_EQ(Draw_Font['|' * 16 + 2], 0x10);
    // '_' fills bits 7..1 of row 12: bit 7 falls on column x + cellWidth - 7.
    ASSERT_EQ(Draw_Font['_' * 16 + 12], 0xFE);
    for (int cell : {8, 10}) {
        Screen(64, 32);
        Draw_Text(buffer(), cell, 16, 10, 5, "_", kInk, 0, 0);
        Points expected;
        for (int k = 1; k <= 7; k++) {
            expected.insert({10 + cell - k, 5 + 12});
        }
        EXPECT_EQ(Lit(), expected) << cell;
        EXPECT_EQ(Lit().begin()->first, 10 + cell - 7); // column x + 1 for 8, x + 3 for 10
    }
}

TEST_F(Draw2dTest, BoldDoublesASinglePixelToTheLeft)
{
    // ':' has a two-pixel stroke; '|' a single one (bit 4 only).
    Screen(64, 32);
    Draw_Text(buffer(), 8, 3, 0, 0, "|", kInk, 0, 1);
    EXPECT_EQ(Lit(), (Points{{3, 2}, {4, 2}}));
    // Only 1 means bold.
    Screen(64, 32);
    Draw_Text(buffer(), 8, 3, 0, 0, "|", kInk, 0, 2);
    EXPECT_EQ(Lit(), (Points{{4, 2}}));
    // Bold's ninth bit lands in column x + cellWidth - 8 when the cell is wide enough.
    Screen(64, 32);
    Draw_Text(buffer(), 10, 16, 0, 0, "_", kInk, 0, 1);
    EXPECT_EQ(Lit().begin()->first, 10 - 8);
}

TEST_F(Draw2dTest, TextStaysInsideAnExactlySizedBuffer)
{
    struct Case {
        int x, y;
    };
    // Crossing the right edge, the bottom edge, both, and starting above and left of the buffer.
    const Case cases[] = {{30, 2}, {2, 25}, {35, 27}, {-20, -8}, {INT32_MAX - 4, 0}, {0, INT32_MIN}};
    for (const Case &k : cases) {
        Screen(40, 30);
        Draw_Text(buffer(), 8, 16, k.x, k.y, "M#W@", kInk, 0, 1);
        EXPECT_TRUE(GuardIntact()) << k.x << ", " << k.y;
    }
    Screen(40, 30);
    Draw_Text(buffer(), 8, 16, 30, 20, "M", kInk, 0, 0);
    const Points lit = Lit();
    EXPECT_FALSE(lit.empty());
    for (const auto &p : lit) {
        EXPECT_LT(p.first, 40);
        EXPECT_LT(p.second, 30);
    }
}

TEST_F(Draw2dTest, RowsAreHeldTo16AndLengthTakenModulo256)
{
    // 20 rows of the last glyph would read past the font: they draw as 16.
    Screen(64, 64);
    const char last[] = {char(0xFF), 0};
    Draw_Text(buffer(), 8, 20, 0, 0, last, kInk, 0, 0);
    const Points twenty = Lit();
    Screen(64, 64);
    Draw_Text(buffer(), 8, 16, 0, 0, last, kInk, 0, 0);
    EXPECT_EQ(twenty, Lit());
    EXPECT_FALSE(twenty.empty()); // an unprintable code is a hollow box

    Screen(64, 64);
    Draw_Text(buffer(), 8, -3, 0, 0, "A", kInk, 0, 0);
    EXPECT_TRUE(Lit().empty());

    Screen(64, 64);
    Draw_Text(buffer(), 8, 16, 0, 0, std::string(256, 'A').c_str(), kInk, 0, 0);
    EXPECT_TRUE(Lit().empty());
    Screen(64, 64);
    Draw_Text(buffer(), 8, 16, 0, 0, "A", kInk, 0, 0);
    const Points one = Lit();
    Screen(64, 64);
    Draw_Text(buffer(), 8, 16, 0, 0, std::string(257, 'A').c_str(), kInk, 0, 0);
    EXPECT_EQ(Lit(), one); // 257 characters draw one
}

TEST_F(Draw2dTest, BlanksAndLineFeedsDrawTheirGlyphs)
{
    Screen(64, 32);
    Draw_Text(buffer(), 8, 16, 0, 0, " ", kInk, 0, 0);
    EXPECT_TRUE(Lit().empty());
    Draw_Text(buffer(), 8, 16, 0, 0, "\n", kInk, 0, 0);
    EXPECT_FALSE(Lit().empty());
}

TEST_F(Draw2dTest, FontFaces)
{
    // Printable codes have their own faces, inside the upper 14 rows; the space is blank.
    for (int c = 0x21; c < 0x7F; c++) {
        int lit = 0;
        for (int r = 0; r < 16; r++) {
            lit += Draw_Font[c * 16 + r] != 0;
        }
        EXPECT_GT(lit, 0) << c;
        EXPECT_EQ(Draw_Font[c * 16 + 14] | Draw_Font[c * 16 + 15], 0) << c;
    }
    for (int r = 0; r < 16; r++) {
        EXPECT_EQ(Draw_Font[' ' * 16 + r], 0);
        EXPECT_EQ(Draw_Font[0 * 16 + r], Draw_Font[0x80 * 16 + r]);
    }
}

struct LineCase {
    const char *name;
    int x0, y0, x1, y1;
    std::vector<std::pair<int, int>> pixels; // (x, y), or empty for nothing drawn
};

// The cases for a W x H screen: the end points and pixels in terms of W and H.
std::vector<LineCase> LineCases(int w, int h)
{
    std::vector<LineCase> cases = {
        {"entering from the left", -10, 5, 10, 5, {}},
        {"leaving on the right", 5, 5, w + 100, 5, {}},
        {"both ends left", -10, 5, -1, 50, {}},
        {"both ends below", 10, h + 5, 100, h - 1, {}},
        {"diagonal", 0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {"shallow", 0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {"shallow swapped", 4, 2, 0, 0, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {"steep", 1, 0, 3, 4, {{1, 0}, {2, 1}, {2, 2}, {3, 3}, {3, 4}}},
        {"steep swapped", 3, 4, 1, 0, {{1, 0}, {2, 1}, {2, 2}, {3, 3}, {3, 4}}},
        {"a point", 7, 7, 7, 7, {{7, 7}}},
        {"leaving at the top", 10, 2, 10, -30, {{10, 0}, {10, 1}, {10, 2}}},
        {"leaving at the bottom", 10, h - 4, 10, h + 30, {{10, h - 4}, {10, h - 3}, {10, h - 2}}},
        {"on the last column", w - 1, 3, w - 1, 6, {}},
        {"into the corner", w - 4, h - 4, w + 10, h + 10, {{w - 4, h - 4}, {w - 3, h - 3}, {w - 2, h - 2}}},
    };
    for (int x = 0; x <= 10; x++) {
        cases[0].pixels.push_back({x, 5});
    }
    for (int x = 5; x <= w - 2; x++) {
        cases[1].pixels.push_back({x, 5});
    }
    return cases;
}

TEST_F(Draw2dTest, LinesClipAndStep)
{
    for (const auto &size : {std::pair{640, 480}, std::pair{320, 200}}) {
        for (const LineCase &k : LineCases(size.first, size.second)) {
            Screen(size.first, size.second);
            Draw_Line(buffer(), k.x0, k.y0, k.x1, k.y1, kInk);
            const Points expected(k.pixels.begin(), k.pixels.end());
            EXPECT_EQ(Lit(), expected) << k.name << " at " << size.first << " x " << size.second;
            EXPECT_TRUE(GuardIntact());
        }
    }
}

TEST_F(Draw2dTest, LinesThroughEveryBorderKeepInsideTheClipRectangle)
{
    Screen(320, 200);
    for (int k = 0; k < 64; k++) {
        const int x1 = 160 + (k % 16 - 8) * 40, y1 = 100 + (k / 16 - 2) * 90 + k;
        Draw_Line(buffer(), 160, 100, x1, y1, kInk);
        Draw_Line(buffer(), x1, y1, 160, 100, kInk);
    }
    int min_x = 320, max_x = -1, min_y = 200, max_y = -1;
    for (const auto &p : Lit()) {
        min_x = std::min(min_x, p.first);
        max_x = std::max(max_x, p.first);
        min_y = std::min(min_y, p.second);
        max_y = std::max(max_y, p.second);
    }
    EXPECT_EQ(min_x, 0);
    EXPECT_EQ(max_x, 318);
    EXPECT_EQ(min_y, 0);
    EXPECT_EQ(max_y, 198);
    EXPECT_TRUE(GuardIntact());
}

TEST_F(Draw2dTest, EndsAtTheLimitsNeitherOverflowNorHang)
{
    const int32_t big = 1 << 30;
    const int32_t ends[][4] = {{-big, -big, big, big}, {big, -big, -big, big},    {INT32_MIN, 0, INT32_MAX, 0},
                               {0, INT32_MIN, 0, INT32_MAX}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                               {5, 5, big, big - 1},    {-big, 3, 10, 3}};
    for (const auto &e : ends) {
        Screen(320, 200);
        Draw_Line(buffer(), e[0], e[1], e[2], e[3], kInk);
        EXPECT_TRUE(GuardIntact());
        EXPECT_LE(Lit().size(), 400u);
    }
    // The long diagonal still crosses the buffer.
    Screen(320, 200);
    Draw_Line(buffer(), -big, -big, big, big, kInk);
    EXPECT_NE(Lit().count({100, 100}), 0u);
}

TEST_F(Draw2dTest, PixelOnlyInsideTheBuffer)
{
    Screen(32, 16);
    const int outside[][2] = {{32, 0}, {0, 16}, {-1, 0}, {0, -1}, {INT32_MAX, INT32_MAX}};
    for (const auto &p : outside) {
        Draw_Pixel(buffer(), p[0], p[1], kInk);
    }
    EXPECT_TRUE(Lit().empty());
    EXPECT_TRUE(GuardIntact());
    Draw_Pixel(buffer(), 31, 15, kInk);
    EXPECT_EQ(Lit(), (Points{{31, 15}}));
}

TEST_F(Draw2dTest, AxesInTheirColoursWithWhiteTips)
{
    Screen(320, 240);
    Set_Viewport(320, 240, 0, 0, 640);
    OBJ_View.near_clip = 128;
    int32_t identity[9];
    Mat_Identity(identity);
    const int32_t position[3] = {0, 0, 400};
    Draw_Axes(buffer(), position, identity);
    // x axis along the row through the centre, red; its tip 100 units out, at 320 x 100 / 400 = 80.
    EXPECT_EQ(store_[size_t(120 * 320 + 200)], 0xf800);
    EXPECT_EQ(store_[size_t(120 * 320 + 240)], 0xffff);
    EXPECT_EQ(store_[size_t(180 * 320 + 160)], 0x1fe0);
    EXPECT_EQ(store_[size_t(200 * 320 + 160)], 0xffff);
    // The z axis goes straight away from the eye: a point at the centre, drawn first and covered by
    // the other two axes' first pixels, x last.
    EXPECT_EQ(store_[size_t(120 * 320 + 160)], 0xf800);

    // Below the near distance nothing is drawn.
    Screen(320, 240);
    const int32_t near[3] = {0, 0, 127};
    Draw_Axes(buffer(), near, identity);
    EXPECT_TRUE(Lit().empty());
}

TEST(Draw2dGolden, DebugDrawing)
{
    const Picture p = DebugDrawPicture();
    EXPECT_TRUE(MatchesGolden("debug-draw", p.pixels.data(), p.width, p.height, false));
}

} // namespace
} // namespace kalder_test
