// The picture sprite made from a sprite-file image in the arena, and the save thumbnail's round window.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/mem.h"
#include "core/sys.h"
#include "interface/ico.h"
#include "interface/spr.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/screen_target.h"

namespace {

// An arena of its own for each case, put in place of the game's.
struct Arena {
    explicit Arena(uint32_t size) : stack(MEM_CreateStack(size)), kept(MEM_Arena) { MEM_Arena = stack; }
    ~Arena()
    {
        ICO_FreePicture();
        MEM_Arena = kept;
        MEM_DestroyStack(stack);
    }
    MEM_Stack *stack;
    MEM_Stack *kept;
};

constexpr int kWidth = 48, kHeight = 56;
constexpr size_t kBlock = size_t(kWidth) * kHeight * 2;

TEST(IcoPictureTest, MakePictureTakesEntryZeroOrRefusesWithTheArenaUnchanged)
{
    const struct {
        const char *what;
        std::optional<size_t> cut_to;
        std::optional<int32_t> width;
        std::optional<int64_t> offset;
        uint32_t arena;
        int32_t result;
        bool arena_back; // on -1: the arena is where it started
    } cases[] = {
        {"good", {}, {}, {}, 1 << 16, 0, false},
        {"no pixels", {}, {}, 0, 1 << 16, 0, false},
        {"one byte short of a palette and a directory", 512 + 7172 - 1, {}, {}, 1 << 16, -1, true},
        {"empty", 0, {}, {}, 1 << 16, -1, true},
        {"width 4097", {}, 4097, {}, 1 << 16, -1, true},
        {"width -1", {}, -1, {}, 1 << 16, -1, true},
        {"block past the directory", {}, {}, 514, 1 << 16, -1, true},
        {"block in the palette", {}, {}, 100, 1 << 16, -1, true},
        {"arena too small for the pixels", {}, {}, {}, 2000, -1, true},
        {"arena too small for the palette", {}, {}, {}, 300, -1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::SpriteSetWriter set = kalder_test::DemoPortrait();
        set.entries[0].written_width = c.width;
        set.entries[0].offset = c.offset;
        std::vector<uint8_t> image = set.Image();
        if (c.cut_to) {
            image.resize(*c.cut_to);
        }
        Arena arena(c.arena);
        uint8_t *const start = arena.stack->top;
        ASSERT_EQ(ICO_MakePicture(image.data(), uint32_t(image.size())), c.result);
        if (c.result != 0) {
            EXPECT_EQ(ICO_Picture, nullptr);
            EXPECT_EQ(arena.stack->top, start);
            continue;
        }
        ASSERT_NE(ICO_Picture, nullptr);
        EXPECT_EQ(ICO_Picture->width, c.width.value_or(kWidth));
        EXPECT_EQ(ICO_Picture->height, kHeight);
        EXPECT_EQ(ICO_Picture->hot_x, 24);
        EXPECT_EQ(ICO_Picture->hot_y, 28);
        if (c.offset == 0) {
            EXPECT_EQ(ICO_Picture->pixels, nullptr);
        } else {
            uint16_t palette[256];
            SPR_ConvertPalette(image.data(), palette);
            ASSERT_NE(ICO_Picture->palette, nullptr);
            EXPECT_EQ(std::vector<uint16_t>(ICO_Picture->palette, ICO_Picture->palette + 256),
                      std::vector<uint16_t>(palette, palette + 256));
            const int64_t at = set.OffsetOf(0);
            EXPECT_EQ(std::vector<uint8_t>(ICO_Picture->pixels, ICO_Picture->pixels + kBlock),
                      std::vector<uint8_t>(image.begin() + at, image.begin() + at + int64_t(kBlock)));
        }
        ICO_FreePicture();
        EXPECT_EQ(ICO_Picture, nullptr);
        EXPECT_EQ(arena.stack->top, start);
    }
}

// A second picture gives the first back before it takes its own, also when it is refused.
TEST(IcoPictureTest, ASecondPictureFreesTheFirst)
{
    const std::vector<uint8_t> image = kalder_test::DemoPortrait().Image();
    Arena arena(1 << 16);
    uint8_t *const start = arena.stack->top;
    ASSERT_EQ(ICO_MakePicture(image.data(), uint32_t(image.size())), 0);
    uint8_t *const after_one = arena.stack->top;
    ASSERT_EQ(ICO_MakePicture(image.data(), uint32_t(image.size())), 0);
    EXPECT_EQ(arena.stack->top, after_one);
    EXPECT_EQ(ICO_MakePicture(image.data(), 10), -1);
    EXPECT_EQ(arena.stack->top, start);
    EXPECT_EQ(ICO_Picture, nullptr);
}

// The window's rows: empty bands at the top and bottom, and the disc's rows from their first column to
// its mirror.
TEST(IcoThumbnailTest, TheMaskIsADiscOfDiameter48)
{
    const struct {
        int row, first, last; // first -1: empty
    } rows[] = {{0, -1, -1},  {7, -1, -1},  {8, 27, 36},  {20, 11, 52}, {31, 8, 55},
                {32, 8, 55},  {55, 27, 36}, {56, -1, -1}, {63, -1, -1}};
    for (const auto &r : rows) {
        for (int col = 0; col < 64; col++) {
            const bool set = (ICO_ThumbnailMask[size_t(r.row)][size_t(col / 32)] >> (col % 32) & 1u) != 0;
            EXPECT_EQ(set, col >= r.first && col <= r.last && r.first >= 0) << "row " << r.row << " column " << col;
        }
    }
}

// Where the picture goes on the screen: inside the window, whole or halved; off the screen's edges
// nothing is written (no wrap into the next row, nothing before or after the frame).
TEST(IcoThumbnailTest, ThePictureLandsInsideTheWindowAndTheScreen)
{
    std::vector<uint16_t> thumb(64 * 64);
    for (size_t i = 0; i < thumb.size(); i++) {
        thumb[i] = uint16_t(0x8000 | i);
    }
    const struct {
        int width, height, x, y, step_x, step_y;
    } cases[] = {
        {640, 480, 100, 100, 1, 1}, {640, 480, 600, 100, 1, 1}, {640, 480, -20, -30, 1, 1},
        {640, 480, 590, 440, 1, 1}, {320, 200, 300, 180, 2, 2}, {400, 300, 380, 10, 2, 2},
        {320, 400, 10, 350, 2, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.x << "," << c.y);
        kalder_test::ScreenTarget screen(c.width, c.height);
        screen.FillPattern();
        ICO_DrawThumbnail(thumb.data(), c.x, c.y);
        EXPECT_TRUE(screen.GuardIntact());
        int written = 0;
        for (int y = 0; y < c.height; y++) {
            for (int x = 0; x < c.width; x++) {
                const int col = (x - c.x) * c.step_x, row = (y - c.y) * c.step_y;
                const bool inside = col >= 0 && col < 64 && row >= 0 && row < 64 &&
                                    (ICO_ThumbnailMask[size_t(row)][size_t(col / 32)] >> (col % 32) & 1u) != 0;
                const uint16_t expected = inside ? thumb[size_t(row * 64 + col)] : kalder_test::ScreenTarget::Pattern(x, y);
                written += inside ? 1 : 0;
                ASSERT_EQ(screen.at(x, y), expected) << x << "," << y;
            }
        }
        EXPECT_GT(written, 0);
    }
}

} // namespace
