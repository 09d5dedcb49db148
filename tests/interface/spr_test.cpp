// Sprite sets: loading, freeing, the refusals of damaged files, and the channel mixers.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "core/dsp.h"
#include "engine3d/gfx_sprite.h"
#include "interface/spr.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/screen_target.h"
#include "tests/support/sprite_set_writer.h"
#include "tests/support/temp_drives.h"

using kalder_test::SpriteSetWriter;

namespace {

std::vector<uint8_t> bytes(size_t n, uint8_t first)
{
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; i++) {
        out[i] = uint8_t(first + i * 3);
    }
    return out;
}

// A set of three sprites in `pixel_bytes`-byte pixels, an empty entry 9 that keeps its numbers, and
// palette colours 1 = white, 2 = full blue.
SpriteSetWriter three_sprites(int pixel_bytes)
{
    SpriteSetWriter w;
    w.palette[1] = 0x7FFF;
    w.palette[2] = 0x001F;
    w.palette[3] = 0x1234;
    w.palette_word = 0xDEADBEEF;
    w.trailer = 0x01020304;
    w.Put(4, 4, 2, 1, 2, bytes(size_t(8 * pixel_bytes), 10));
    w.Put(5, 3, 3, -2, 7, bytes(size_t(9 * pixel_bytes), 50));
    w.Put(200, 1, 1, 0, 0, bytes(size_t(pixel_bytes), 99));
    w.entries[9].width = 7;
    w.entries[9].height = 9;
    w.entries[9].hot_x = 3;
    w.entries[9].hot_y = 4;
    w.entries[9].spare = 77;
    return w;
}

struct SprTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        SPR_ClearAll();
        drives = std::make_unique<kalder_test::TempDrives>("C");
        test::SetExitHook(test::ThrowOnExit);
        heap_before = test::HeapBlocksInUse();
    }
    void TearDown() override
    {
        SPR_FreeAll();
        EXPECT_EQ(test::HeapBlocksInUse(), heap_before) << "blocks not given back";
        EXPECT_EQ(test::OpenFileCount(), 0);
        drives.reset();
        kalder_test::ResetCore();
    }

    // Writes the image at C:\<path> (with '/' for '\').
    void write(const std::string &path, const std::vector<uint8_t> &image) { drives->Write('C', path, image); }

    // Runs the call, which must stop the game with the text and code 999; the slot is then empty.
    static void expect_fatal(const std::function<void()> &call, const std::string &text, int32_t slot)
    {
        SCOPED_TRACE(text);
        const size_t boxes = test::MessageBoxes().size();
        try {
            call();
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
            ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
            EXPECT_EQ(test::MessageBoxes().back().text, text);
        }
        EXPECT_EQ(SPR_Sets[slot].entries, nullptr);
        EXPECT_EQ(SPR_Sets[slot].palette, nullptr);
        test::CloseAllFiles();
    }

    std::unique_ptr<kalder_test::TempDrives> drives;
    size_t heap_before = 0;
};

TEST_F(SprTest, LoadsEntriesPaletteAndTrailerInEitherPixelSize)
{
    const struct {
        const char *game_path, *host_path;
        int pixel_bytes;
    } cases[] = {
        {"data\\objet\\sour.alp", "data/objet/sour.alp", 2},
        {"DATA\\OBJET\\SOUR.ALP", "DATA/OBJET/SOUR.ALP", 2},
        {"x.Alp.spr", "x.Alp.spr", 2},
        {"data\\font\\hi640.spr", "data/font/hi640.spr", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.game_path);
        const SpriteSetWriter w = three_sprites(c.pixel_bytes);
        write(c.host_path, w.Image());
        SPR_LoadSet(c.game_path, 3);
        ASSERT_NE(SPR_Sets[3].entries, nullptr);
        EXPECT_EQ(SPR_GetTrailer(3), 0x01020304u);
        const uint16_t *palette = SPR_Sets[3].palette;
        EXPECT_EQ(palette[1], 0xFFDF);
        EXPECT_EQ(palette[2], 0x001F);
        EXPECT_EQ(palette[3], ((0x1234 & 0x7FE0) << 1) | (0x1234 & 0x1F));
        for (int i = 0; i < 256; i++) {
            EXPECT_EQ(SPR_GetSprite(3, i)->palette, palette) << i;
        }
        for (int i : {4, 5, 200}) {
            const SPR_Entry *e = SPR_GetSprite(3, i);
            const auto &written = w.entries[size_t(i)];
            EXPECT_EQ(e->width, written.width);
            EXPECT_EQ(e->height, written.height);
            EXPECT_EQ(e->hot_x, written.hot_x);
            EXPECT_EQ(e->hot_y, written.hot_y);
            ASSERT_NE(e->pixels, nullptr);
            EXPECT_EQ(std::memcmp(e->pixels, written.pixels.data(), written.pixels.size()), 0) << i;
        }
        const SPR_Entry *empty = SPR_GetSprite(3, 9);
        EXPECT_EQ(empty->pixels, nullptr);
        EXPECT_EQ(empty->width, 7);
        EXPECT_EQ(empty->height, 9);
        EXPECT_EQ(empty->hot_x, 3);
        EXPECT_EQ(empty->hot_y, 4);
        EXPECT_EQ(empty->spare, 77);
        // The block of sprite 5 is 9 pixels: 9 bytes, or 18 and 1,024 spare for 2-byte pixels.
        test::FailHeapAlloc(c.pixel_bytes == 2 ? 18 + 1024 : 9);
        expect_fatal([&] { SPR_LoadSet(c.game_path, 3); }, "3 3\nErreur temp 3 5\n", 3);
        test::FailHeapAlloc(0, -1);
    }
}

TEST_F(SprTest, ReloadFreesTheOldSetAndFreeAllEmptiesEverySlot)
{
    write("a.spr", three_sprites(1).Image());
    SpriteSetWriter other;
    other.Put(6, 2, 2, 0, 0, bytes(4, 1));
    write("b.spr", other.Image());

    SPR_LoadSet("a.spr", 7);
    SPR_LoadSet("b.spr", 7);
    // The palette, the directory and one block: nothing of the first file is left.
    EXPECT_EQ(test::HeapBlocksInUse(), heap_before + 3);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(SPR_GetSprite(7, i)->pixels != nullptr, i == 6) << i;
    }
    // Entry 0 is empty and every entry's palette word in the file is 0xDEADBEEF: the free goes
    // through the slot's own palette.
    SPR_LoadSet("a.spr", 0);
    SPR_FreeSet(0);
    EXPECT_EQ(SPR_Sets[0].entries, nullptr);
    EXPECT_EQ(SPR_GetTrailer(0), 0u);

    for (int slot : {0, 11, 23}) {
        SPR_LoadSet("a.spr", slot);
    }
    SPR_FreeAll();
    for (const SPR_Set &set : SPR_Sets) {
        EXPECT_EQ(set.entries, nullptr);
    }
    EXPECT_EQ(test::HeapBlocksInUse(), heap_before);
    EXPECT_EQ(SPR_GetSprite(7, 6), nullptr);
}

TEST_F(SprTest, DamagedFilesStopWithTheLoadersTextAndLeaveTheSlotEmpty)
{
    const auto damaged = [](const std::function<void(SpriteSetWriter &)> &damage) {
        SpriteSetWriter w = three_sprites(1);
        damage(w);
        return w.Image();
    };
    const SpriteSetWriter good = three_sprites(1);
    const int64_t directory = int64_t(good.Size()) - 7172;
    const struct {
        const char *name;
        std::vector<uint8_t> image; // none: the file is missing
        size_t failing_alloc;
        std::string text;
    } cases[] = {
        {"missing", {}, 0, "Kalder Internal Error : Open file Error"},
        {"too short", damaged([](SpriteSetWriter &w) { w.cut_at = 512 + 7171; }), 0, "Error SprSet 5\n"},
        {"negative width", damaged([](SpriteSetWriter &w) { w.entries[4].written_width = -1; }), 0,
         "Error SprSet 5\n"},
        {"width 4097", damaged([](SpriteSetWriter &w) { w.entries[5].written_width = 4097; }), 0, "Error SprSet 5\n"},
        {"height 4097", damaged([](SpriteSetWriter &w) { w.entries[5].written_height = 4097; }), 0,
         "Error SprSet 5\n"},
        {"block past the directory", damaged([&](SpriteSetWriter &w) { w.entries[200].offset = directory; }), 0,
         "Error SprSet 5\n"},
        {"block past the file", damaged([](SpriteSetWriter &w) { w.entries[4].offset = 0xFFFFFFF0; }), 0,
         "Error SprSet 5\n"},
        {"block inside the palette", damaged([](SpriteSetWriter &w) { w.entries[4].offset = 511; }), 0,
         "Error SprSet 5\n"},
        {"huge sides", damaged([](SpriteSetWriter &w) { w.entries[4].written_width = w.entries[4].written_height = 4096; }),
         0, "Error SprSet 5\n"},
        {"directory allocation", good.Image(), 7168, "Error SprSet 5\n"},
        {"pixel block allocation", good.Image(), 8, "4 2\nErreur temp 5 4\n"},
    };
    write("keep.spr", good.Image());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SPR_LoadSet("keep.spr", 5);
        if (!c.image.empty()) {
            write("data/bad.spr", c.image);
        }
        if (c.failing_alloc != 0) {
            test::FailHeapAlloc(c.failing_alloc);
        }
        expect_fatal([] { SPR_LoadSet("data\\bad.spr", 5); }, c.text, 5);
        test::FailHeapAlloc(0, -1);
        EXPECT_EQ(test::HeapBlocksInUse(), heap_before);
        std::remove((drives->Host('C') + "/data/bad.spr").c_str());
    }
    // A well-formed block right before the directory is taken.
    write("edge.spr", damaged([&](SpriteSetWriter &w) { w.entries[200].offset = directory - 1; }));
    SPR_LoadSet("edge.spr", 5);
    EXPECT_NE(SPR_GetSprite(5, 200)->pixels, nullptr);
}

TEST_F(SprTest, DrawSpriteDrawsInTheAlphaModeAndSkipsEntriesWithoutPixels)
{
    SpriteSetWriter w;
    w.palette[1] = 0x7FFF;
    w.Put(1, 2, 1, 1, 0, {1, 63, 1, 0});
    write("sour.alp", w.Image());
    SPR_LoadSet("sour.alp", 10);
    kalder_test::ScreenTarget screen(8, 4);
    const uint16_t before = screen.at(4, 2);
    SPR_DrawSprite(10, 1, 4, 2);
    EXPECT_EQ(screen.at(3, 2), 0xFFDF);
    EXPECT_EQ(screen.at(4, 2), before); // alpha 0: left alone
    const std::vector<uint16_t> drawn = screen.Frame();
    SPR_DrawSprite(10, 2, 4, 2); // empty entry
    SPR_DrawSprite(12, 1, 4, 2); // empty slot
    SPR_DrawSprite(10, 256, 4, 2);
    EXPECT_EQ(screen.Frame(), drawn);
    // The same pixels as a set of 1-byte pixels: drawn plainly, indices 1 and 63.
    write("font.spr", w.Image());
    SPR_LoadSet("font.spr", 11);
    screen.FillPattern();
    SPR_DrawSprite(11, 1, 4, 2);
    EXPECT_EQ(screen.at(3, 2), 0xFFDF);
    EXPECT_NE(screen.at(4, 2), kalder_test::ScreenTarget::Pattern(4, 2));
    EXPECT_TRUE(screen.GuardIntact());
}

TEST(BlendMixers, ChannelsAndColoursFollowTheProductTables)
{
    BLEND_BuildTables();
    for (uint32_t alpha : {0u, 1u, 31u, 62u, 63u}) {
        const uint32_t k = alpha >> 1;
        for (uint32_t a : {0u, 7u, 31u}) {
            for (uint32_t b : {0u, 20u, 31u}) {
                EXPECT_EQ(BLEND_MixChannel32(a, b, alpha), ((31 - k) * a + k * b) >> 5) << a << " " << b << " " << alpha;
            }
        }
        for (uint32_t a : {0u, 33u, 63u}) {
            for (uint32_t b : {0u, 12u, 63u}) {
                EXPECT_EQ(BLEND_MixChannel64(a, b, alpha), ((63 - alpha) * a + alpha * b) >> 6);
            }
        }
    }
    // Out of range arguments are held to the tables' sides.
    EXPECT_EQ(BLEND_MixChannel32(1000, 31, 63), BLEND_MixChannel32(31, 31, 63));
    EXPECT_EQ(BLEND_MixChannel32(0, 99, 200), BLEND_MixChannel32(0, 31, 63));
    EXPECT_EQ(BLEND_MixChannel64(64, 0xFFFFFFFF, 0xFFFFFFFF), BLEND_MixChannel64(63, 63, 63));

    const int32_t saved = DSP_Rgb555;
    const uint8_t saved_alpha = GFX_BlendAlpha;
    const struct {
        int32_t rgb555;
        uint8_t alpha;
        uint16_t c1, c2, mixed;
    } colours[] = {
        // 565: red 31, green's top five bits, blue; packed back with green shifted by 6.
        {0, 0, 0xFFFF, 0x0000, uint16_t(30 << 11 | 30 << 6 | 30)},
        {0, 63, 0x0000, 0xFFFF, uint16_t(30 << 11 | 30 << 6 | 30)},
        {0, 31, 0xF800, 0x001F, uint16_t(15 << 11 | 0 << 6 | 14)},
        {1, 0, 0x7FFF, 0x0000, uint16_t(30 << 10 | 30 << 5 | 30)},
        {1, 62, 0x7C00, 0x03E0, uint16_t(0 << 10 | 30 << 5 | 0)},
    };
    for (const auto &c : colours) {
        DSP_Rgb555 = c.rgb555;
        GFX_BlendAlpha = c.alpha;
        EXPECT_EQ(BLEND_MixColour(c.c1, c.c2), c.mixed) << std::hex << c.c1 << " " << c.c2 << " " << int(c.alpha);
    }
    DSP_Rgb555 = saved;
    GFX_BlendAlpha = saved_alpha;
}

} // namespace
