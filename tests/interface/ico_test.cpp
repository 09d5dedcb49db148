// Icons: the sets read from the icon pack, the refusals of damaged sets, the table's names, and the
// five drawing routines with their halvings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "core/pack.h"
#include "core/scr.h"
#include "engine3d/gfx_sprite.h"
#include "interface/ico.h"
#include "interface/spr.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/pack_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"

using kalder_test::SpriteSetWriter;

namespace {

struct IcoTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        drives = std::make_unique<kalder_test::TempDrives>("C");
        test::SetExitHook(test::ThrowOnExit);
        heap_before = test::HeapBlocksInUse();
    }
    void TearDown() override
    {
        ICO_FreeSets();
        PACK_FreeTable();
        test::CloseAllFiles();
        EXPECT_EQ(test::HeapBlocksInUse(), heap_before) << "blocks not given back";
        drives.reset();
        kalder_test::ResetCore();
    }

    // Opens the pack image as the icon pack and loads the sets from it.
    void load(const std::vector<uint8_t> &pack)
    {
        drives->Write('C', "data/icone/icones.bf", pack);
        PACK_Open("data\\icone\\icones.bf");
        ICO_LoadSets();
    }

    // Runs the load, which must stop the game with the text and code 999, leaving set `refused` empty.
    void expect_refused(const std::vector<uint8_t> &pack, const std::string &text, int refused)
    {
        const size_t boxes = test::MessageBoxes().size();
        try {
            load(pack);
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
            ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
            EXPECT_EQ(test::MessageBoxes().back().text, text);
        }
        EXPECT_EQ(ICO_Sets[refused].entries, nullptr);
        EXPECT_EQ(ICO_Sets[refused].palette, nullptr);
    }

    std::unique_ptr<kalder_test::TempDrives> drives;
    size_t heap_before = 0;
};

TEST_F(IcoTest, LoadsEverySetWithItsOwnPaletteAndPixels)
{
    const std::vector<SpriteSetWriter> sets = kalder_test::DemoIcons();
    load(kalder_test::IconPackImage(sets));
    for (int i = 0; i < ICO_SET_COUNT; i++) {
        SCOPED_TRACE(ICO_SetFiles[i]);
        const ICO_Set &set = ICO_Sets[i];
        ASSERT_NE(set.entries, nullptr);
        ASSERT_NE(set.palette, nullptr);
        for (int c = 0; c < 256; c++) {
            const uint16_t file = sets[size_t(i)].palette[size_t(c)];
            ASSERT_EQ(set.palette[c], uint16_t((file & 0x7FE0) << 1 | (file & 0x1F))) << c;
        }
        for (int k = 0; k < 256; k++) {
            const SPR_Entry &e = set.entries[k];
            const auto &written = sets[size_t(i)].entries[size_t(k)];
            EXPECT_EQ(e.palette, set.palette);
            if (written.pixels.empty()) {
                EXPECT_EQ(e.pixels, nullptr) << k;
                continue;
            }
            ASSERT_NE(e.pixels, nullptr) << k;
            EXPECT_EQ(e.width, written.width);
            EXPECT_EQ(e.height, written.height);
            EXPECT_EQ(std::memcmp(e.pixels, written.pixels.data(), written.pixels.size()), 0) << k;
        }
    }
    // Every block holds 2-byte pixels and 1,024 bytes more: the end of an alpha block is zero.
    const SPR_Entry &spell = ICO_Sets[0].entries[13];
    EXPECT_TRUE(std::all_of(spell.pixels + 32 * 32 * 2, spell.pixels + 32 * 32 * 2 + 1024, [](uint8_t b) { return b == 0; }));
}

TEST_F(IcoTest, FindsNamesIgnoringCaseAndNothingElse)
{
    load(kalder_test::DemoIconPack());
    const struct {
        const char *name;
        int32_t id, set, sprite;
    } cases[] = {
        {"PyramBO", 49, 2, 0},  {"pyrambo", 49, 2, 0},   {"feu", 0, 0, 0},       {"VITESSE", 13, 0, 13},
        {"object01", 14, 4, 32}, {"Object16", 29, 4, 47}, {"nothing", 30, 1, 0},  {"infosne", 31, 4, 0},
        {"joy_bt1", 48, 3, 10}, {"uplfna", 56, 4, 16},   {"DnRg", 63, 4, 23},    {"dragon", -1, -1, -1},
        {"", -1, -1, -1},       {"pyramb", -1, -1, -1},  {"pyrambo1", -1, -1, -1}, {"pyramboXXXXXXXXXXXXXX", -1, -1, -1},
        {"connaissance", -1, -1, -1}, {"feu ", -1, -1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        int32_t set = 99, sprite = 99;
        EXPECT_EQ(ICO_Find(c.name, &set, &sprite), c.id);
        EXPECT_EQ(set, c.set);
        EXPECT_EQ(sprite, c.sprite);
        EXPECT_EQ(ICO_IndexOf(c.name), c.id);
    }
    // A caller's name of 16 bytes with no terminator is read no further.
    const char unterminated[16] = {'f', 'e', 'u', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(ICO_IndexOf(unterminated), -1);
    // The free ids have no name, which nothing matches.
    for (int id = 64; id < ICO_ICON_COUNT; id++) {
        EXPECT_EQ(ICO_Table[id].name[0], '\0');
    }
}

TEST_F(IcoTest, TheAnimatedSetDrawsSixteenFramesASprite)
{
    load(kalder_test::DemoIconPack());
    const struct {
        int32_t set, sprite, frame, entry;
    } cases[] = {
        {1, 0, 0, 0}, {1, 0, 5, 5}, {1, 0, 15, 15}, {1, 2, 3, 35}, {1, 15, 15, 255}, {0, 5, 7, 5}, {4, 47, 3, 47},
        {1, 16, 0, -1}, {1, 0, -1, -1}, {0, 256, 0, -1}, {0, -1, 0, -1}, {5, 0, 0, -1}, {-1, 0, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.set << " " << c.sprite << " " << c.frame);
        SPR_Entry *e = ICO_Entry(c.set, c.sprite, c.frame);
        if (c.entry < 0) {
            EXPECT_EQ(e, nullptr);
        } else {
            EXPECT_EQ(e, &ICO_Sets[c.set].entries[c.entry]);
        }
    }
}

// Each routine against the blitter called with the record, fade, halvings and dimming it must pass.
TEST_F(IcoTest, EachRoutineDrawsItsModeWithTheScreensHalvings)
{
    load(kalder_test::DemoIconPack());
    const struct {
        const char *name;
        std::function<void(int32_t set, int32_t x, int32_t y)> draw;
        int32_t set;
        uint32_t mode;
        uint8_t fade, dim;
    } routines[] = {
        {"ICO_Draw", [](int32_t s, int32_t x, int32_t y) { ICO_Draw(s, 4, 0, x, y); }, 0, GFX_BLIT_ALPHA, 0, 0},
        {"ICO_DrawDark", [](int32_t s, int32_t x, int32_t y) { ICO_DrawDark(s, 4, 0, x, y); }, 0, GFX_BLIT_ALPHA, 0, 1},
        {"ICO_DrawPlain", [](int32_t s, int32_t x, int32_t y) { ICO_DrawPlain(s, 4, 0, x, y); }, 3, 0, 0, 0},
        {"ICO_DrawPlainDark", [](int32_t s, int32_t x, int32_t y) { ICO_DrawPlainDark(s, 4, 0, x, y); }, 3, 0, 0, 1},
        {"ICO_DrawFaded", [](int32_t s, int32_t x, int32_t y) { ICO_DrawFaded(s, 4, 0, x, y, 3); }, 0, GFX_BLIT_FADED, 3, 0},
    };
    const struct {
        int width, height;
        uint8_t halve_width, halve_height;
    } screens[] = {{640, 480, 0, 0}, {800, 600, 0, 0}, {640, 400, 0, 0}, {401, 399, 0, 1},
                   {400, 300, 1, 1}, {320, 400, 1, 0}, {320, 200, 1, 1}};
    for (const auto &s : screens) {
        for (const auto &r : routines) {
            SCOPED_TRACE(testing::Message() << r.name << " at " << s.width << " x " << s.height);
            kalder_test::ScreenTarget expected(s.width, s.height);
            const GFX_BlitRecord record{30, 40, r.mode, &ICO_Sets[r.set].entries[4]};
            GFX_DrawSprite(&record, r.fade, s.halve_width, s.halve_height, r.dim);
            const std::vector<uint16_t> wanted = expected.Frame();
            kalder_test::ScreenTarget actual(s.width, s.height);
            const std::vector<uint16_t> before = actual.Frame();
            r.draw(r.set, 30, 40);
            EXPECT_NE(actual.Frame(), before) << "nothing drawn";
            EXPECT_EQ(actual.Frame(), wanted);
            EXPECT_TRUE(actual.GuardIntact());
        }
    }
}

// The halvings seen on the screen: a spell's 32 x 32 disc covers 16 columns on a screen 400 wide and
// 16 rows on one below 400 rows.
TEST_F(IcoTest, HalvedIconsCoverHalfTheirSize)
{
    load(kalder_test::DemoIconPack());
    const struct {
        int width, height, columns, rows;
    } cases[] = {{640, 480, 32, 32}, {320, 400, 16, 32}, {400, 300, 16, 16}, {320, 200, 16, 16}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        kalder_test::ScreenTarget screen(c.width, c.height);
        screen.Fill(0);
        ICO_Draw(0, 0, 0, 10, 10);
        int left = c.width, right = -1, top = c.height, bottom = -1;
        for (int y = 0; y < c.height; y++) {
            for (int x = 0; x < c.width; x++) {
                if (screen.at(x, y) != 0) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            }
        }
        EXPECT_EQ(left, 10);
        EXPECT_EQ(top, 10);
        EXPECT_LE(right - left + 1, c.columns);
        EXPECT_GT(right - left + 1, c.columns - 3);
        EXPECT_LE(bottom - top + 1, c.rows);
        EXPECT_GT(bottom - top + 1, c.rows - 3);
    }
}

// The controller's set holds 1-byte pixels but is read for 2: a set that ends the pack, with a
// sprite larger than the directory behind it, loads, its read stopping at the pack's end and the
// rest of the block zero.
TEST_F(IcoTest, OneBytePixelsAtThePacksEndLoad)
{
    std::vector<SpriteSetWriter> sets = kalder_test::DemoIcons();
    std::vector<uint8_t> big(100 * 100);
    for (size_t i = 0; i < big.size(); i++) {
        big[i] = uint8_t(1 + i % 200);
    }
    sets[3].Put(200, 100, 100, 0, 0, big);
    std::vector<kalder_test::PackWriterEntry> entries;
    for (int i : {0, 1, 2, 4, 3}) {
        entries.push_back({ICO_SetFiles[i], sets[size_t(i)].Image()});
    }
    kalder_test::PackWriterOptions options;
    options.directory_first = true; // the last entry's data ends the file
    load(kalder_test::PackImage(entries, options));
    const SPR_Entry &e = ICO_Sets[3].entries[200];
    ASSERT_NE(e.pixels, nullptr);
    EXPECT_EQ(std::memcmp(e.pixels, big.data(), big.size()), 0);
    const size_t in_file = big.size() + 256 * 28 + 4; // the pixels, the directory and the trailer
    EXPECT_EQ(std::memcmp(e.pixels + big.size(), entries.back().bytes.data() + entries.back().bytes.size() - (in_file - big.size()),
                          in_file - big.size()),
              0);
    EXPECT_TRUE(std::all_of(e.pixels + in_file, e.pixels + big.size() * 2 + 1024, [](uint8_t b) { return b == 0; }));
}

TEST_F(IcoTest, DamagedSetsStopWithTheLoadersText)
{
    const std::string icone = "Kalder Internal Error : Read Icone Error";
    const struct {
        const char *what;
        int set;
        std::function<void(SpriteSetWriter &)> damage;
        std::string text;
    } cases[] = {
        {"shorter than a palette and a directory", 2, [](SpriteSetWriter &w) { w.cut_at = 512 + 7171; }, icone},
        {"an empty file", 4, [](SpriteSetWriter &w) { w.cut_at = 0; }, icone},
        {"a block inside the palette", 0, [](SpriteSetWriter &w) { w.entries[3].offset = 511; }, icone},
        {"a block running into the directory", 4,
         [](SpriteSetWriter &w) { w.entries[6].offset = int64_t(w.Size()) - 7172 - 48 * 16 * 2 + 1; }, icone},
        {"a block offset past the file", 1, [](SpriteSetWriter &w) { w.entries[1].offset = 0x7FFFFFF0; }, icone},
        {"a width above 4096", 0, [](SpriteSetWriter &w) { w.entries[0].written_width = 4097; }, icone},
        {"a negative height", 2, [](SpriteSetWriter &w) { w.entries[6].written_height = -1; }, icone},
        {"a 1-byte sprite running into the directory", 3,
         [](SpriteSetWriter &w) { w.entries[10].offset = int64_t(w.Size()) - 7172 - 24 * 24 + 1; }, icone},
        {"a set missing from the pack", 2, [](SpriteSetWriter &w) { w.cut_at = 0; }, "Kalder Internal Error : Open file Error"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<SpriteSetWriter> sets = kalder_test::DemoIcons();
        c.damage(sets[size_t(c.set)]);
        std::vector<uint8_t> pack;
        if (c.text == icone) {
            pack = kalder_test::IconPackImage(sets);
        } else {
            std::vector<kalder_test::PackWriterEntry> entries;
            for (int i = 0; i < ICO_SET_COUNT; i++) {
                if (i != c.set) {
                    entries.push_back({ICO_SetFiles[i], sets[size_t(i)].Image()});
                }
            }
            pack = kalder_test::PackImage(entries);
        }
        expect_refused(pack, c.text, c.set);
        ICO_FreeSets();
        PACK_FreeTable();
        test::CloseAllFiles();
        EXPECT_EQ(test::HeapBlocksInUse(), heap_before);
    }
}

TEST_F(IcoTest, FailedAllocationsStopWithTheLoadersText)
{
    const struct {
        const char *what;
        size_t size;
        int set;
    } cases[] = {
        {"a directory", sizeof(SPR_Entry) * 256, 0},
        {"a palette", 512, 0},
        {"a spell's pixel block", 32 * 32 * 2 + 1024, 0},
        {"a title tile's pixel block", 64 * 64 * 2 + 1024, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        test::FailHeapAlloc(c.size);
        expect_refused(kalder_test::DemoIconPack(), "Kalder Internal Error : Read Icone Error", c.set);
        test::FailHeapAlloc(0, -1);
        ICO_FreeSets();
        PACK_FreeTable();
        test::CloseAllFiles();
        EXPECT_EQ(test::HeapBlocksInUse(), heap_before);
    }
}

// A set whose entry 0 has no pixels is freed through its own palette pointer, as every other set.
TEST_F(IcoTest, FreeingASetWithAnEmptyFirstEntryGivesEverythingBack)
{
    std::vector<SpriteSetWriter> sets = kalder_test::DemoIcons();
    for (SpriteSetWriter &set : sets) {
        set.entries[0] = {};
    }
    load(kalder_test::IconPackImage(sets));
    EXPECT_EQ(ICO_Sets[4].entries[0].pixels, nullptr);
    ICO_FreeSets();
    for (const ICO_Set &set : ICO_Sets) {
        EXPECT_EQ(set.entries, nullptr);
        EXPECT_EQ(set.palette, nullptr);
    }
    ICO_FreeSets();
    ICO_FreeSet(-1);
    ICO_FreeSet(ICO_SET_COUNT);
    PACK_FreeTable();
    EXPECT_EQ(test::HeapBlocksInUse(), heap_before);
    // A second load frees what the first left.
    load(kalder_test::DemoIconPack());
    const size_t loaded = test::HeapBlocksInUse();
    ICO_LoadSets();
    EXPECT_EQ(test::HeapBlocksInUse(), loaded);
}

} // namespace
