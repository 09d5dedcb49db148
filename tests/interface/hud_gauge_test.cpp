// The pyramid gauges: what the gauge blitter is asked for from the values and the gauges' memory, the
// fire copied into the fills, missing icons, and the gauges' golden pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "core/scr.h"
#include "engine3d/proctex.h"
#include "interface/hud.h"
#include "interface/ico.h"
#include "interface/menu.h"
#include "plat/test.h"
#include "tests/interface/hud_recorder.h"
#include "tests/support/core_state.h"
#include "tests/support/golden.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/screen_target.h"

using hud_recorder::Drawn;
using hud_recorder::Kind;

namespace {

const SPR_Entry *entry_of(const MENJ_Icon &icon) { return ICO_Entry(icon.set, icon.sprite, 0); }

struct HudGaugeTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        hud = std::make_unique<kalder_test::DemoHud>();
        kalder_test::ClearHudScene();
        hud_recorder::Clear();
    }
    void TearDown() override
    {
        hud_recorder::Clear();
        hud.reset();
        test::CloseAllFiles();
        kalder_test::ResetCore();
    }
    std::unique_ptr<kalder_test::DemoHud> hud;
};

// One frame of the gauges from a remembered state, against the blitter call, the cursor and what is
// remembered afterwards.
TEST_F(HudGaugeTest, TheGaugeCallFollowsTheValuesAndTheShownValues)
{
    constexpr int32_t None = -1000;
    const struct {
        const char *what;
        int width, height;
        float shown_life, shown_mana;
        uint8_t blink;
        float life, mana, oxygen, balance;
        int32_t level1, level2, level3, mode;
        uint32_t options;
        bool life_flash, mana_flash;
        float after_life, after_mana;
        uint8_t after_blink;
        int32_t cursor_dx, cursor_dy; // from (x, y); None: no cursor
    } cases[] = {
        {"full", 640, 480, 100, 100, 0, 100, 100, 0, 0, 48, 48, 38, 1, 0, false, false, 100, 100, 0, 30, 39},
        {"life drop of 1.0", 640, 480, 100, 100, 0, 99, 100, 0, 0, 47, 48, 38, 1, 0, false, false, 100, 100, 0, 30, 39},
        {"life drop of 1.5", 640, 480, 100, 100, 0, 98.5f, 100, 0, 0, 47, 48, 38, 1, 0, true, false, 98.5f, 100, 0, 30, 39},
        {"life rise", 640, 480, 40, 100, 0, 100, 100, 0, 0, 48, 48, 38, 1, 0, false, false, 40, 100, 0, 30, 39},
        {"mana drop", 640, 480, 100, 100, 0, 100, 50, 0, 0, 48, 24, 38, 1, 0, false, false, 100, 50, 0, 30, 39},
        {"mana rise of 1.5", 640, 480, 100, 50, 0, 100, 51.5f, 0, 0, 48, 24, 38, 1, 0, false, true, 100, 51.5f, 0, 30, 39},
        {"mana rise of 1.0", 640, 480, 100, 50, 0, 100, 51, 0, 0, 48, 24, 38, 1, 0, false, false, 100, 50, 0, 30, 39},
        // The life flashes, then both shown values refill, so the mana's rise does not flash.
        {"life 0", 640, 480, 50, 20, 0, 0, 100, 0, 0, 0, 48, 38, 1, 0, true, false, 100, 100, 0, 30, 39},
        {"balance 95", 640, 480, 100, 100, 0, 100, 100, 0, 95, 48, 48, 74, 1, 0x10000, false, false, 100, 100, 1, 30, 3},
        {"balance 95 again", 640, 480, 100, 100, 1, 100, 100, 0, 95, 48, 48, 74, 1, 0, false, false, 100, 100, 0, 30, 3},
        {"balance 94.9", 640, 480, 100, 100, 1, 100, 100, 0, 94.9f, 48, 48, 74, 1, 0, false, false, 100, 100, 0, 30, 3},
        {"balance -95", 640, 480, 100, 100, 0, 100, 100, 0, -95, 48, 48, 1, 1, 0x10000, false, false, 100, 100, 1, 30, 76},
        {"balance -100", 640, 480, 100, 100, 0, 100, 100, 0, -100, 48, 48, 0, 1, 0x10000, false, false, 100, 100, 1, 30, 77},
        {"balance 150", 640, 480, 100, 100, 0, 100, 100, 0, 150, 48, 48, 95, 1, 0x10000, false, false, 100, 100, 1, 30, -18},
        {"life 120", 640, 480, 100, 100, 0, 120, 100, 0, 0, 57, 48, 38, 1, 0, false, false, 100, 100, 0, 30, 39},
        // With air the blink is left alone and no cursor is drawn.
        {"air 60", 640, 480, 100, 100, 1, 100, 100, 60, 95, 48, 48, 45, 0, 0, false, false, 100, 100, 1, None, None},
        {"320 x 200", 320, 200, 100, 100, 0, 100, 100, 0, 0, 48, 48, 38, 1, 0x101, false, false, 100, 100, 0, 15, 19},
        {"400 x 300", 400, 300, 100, 100, 0, 100, 100, 0, 0, 48, 48, 38, 1, 0x101, false, false, 100, 100, 0, 15, 19},
        {"401 x 399", 401, 399, 100, 100, 0, 100, 100, 0, 0, 48, 48, 38, 1, 0x100, false, false, 100, 100, 0, 30, 19},
    };
    const SPR_Entry *frame = entry_of(HUD_Icons.frame), *life = entry_of(HUD_Icons.life);
    const SPR_Entry *mana = entry_of(HUD_Icons.mana), *air = entry_of(HUD_Icons.oxygen);
    const SPR_Entry *life_flash = entry_of(HUD_Icons.life_flash), *mana_flash = entry_of(HUD_Icons.mana_flash);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ScreenTarget screen(c.width, c.height);
        MENU_ComputeLayout();
        HUD_Memory = {c.shown_life, c.shown_mana, c.blink};
        hud_recorder::Clear();
        HUD_DrawGauges(c.life, c.mana, c.oxygen, c.balance, 20, 100);
        ASSERT_EQ(hud_recorder::GaugeSprites().size(), 1u);
        const hud_recorder::GaugeSprite expected{20,       100,      frame,    c.life_flash ? life_flash : life,
                                                 c.mana_flash ? mana_flash : mana, air, c.level1, c.level2,
                                                 c.level3, c.mode,   c.options};
        EXPECT_EQ(hud_recorder::GaugeSprites()[0], expected);
        EXPECT_FLOAT_EQ(HUD_Memory.life, c.after_life);
        EXPECT_FLOAT_EQ(HUD_Memory.mana, c.after_mana);
        EXPECT_EQ(HUD_Memory.blink, c.after_blink);
        // The flash lasts one frame.
        EXPECT_EQ(HUD_Gauge.fill1, life);
        EXPECT_EQ(HUD_Gauge.fill2, mana);
        std::vector<Drawn> cursor;
        if (c.cursor_dx != None) {
            cursor.push_back({Kind::Draw, HUD_Icons.cursor.set, HUD_Icons.cursor.sprite, 0, 20 + c.cursor_dx,
                              100 + c.cursor_dy, 0, ""});
        }
        EXPECT_EQ(hud_recorder::Drawings(), cursor);
        EXPECT_TRUE(screen.GuardIntact());
    }
}

// A pack without one of the gauge icons: without the frame or a fill nothing is drawn or filled,
// without a flash fill the normal one stays, without the cursor the pyramid is drawn alone.
TEST_F(HudGaugeTest, AMissingIconLeavesOutItsPart)
{
    const struct {
        const char *missing;
        bool drawn, flash_kept_normal, cursor;
    } cases[] = {
        {"pyrambo", false, false, false}, {"pyramvi", false, false, false}, {"pyramox", false, false, false},
        {"pyrafvi", true, true, true},    {"pyrcurs", true, false, false},
    };
    kalder_test::ScreenTarget screen(640, 480);
    MENU_ComputeLayout();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.missing);
        const int32_t id = ICO_IndexOf(c.missing);
        ASSERT_GE(id, 0);
        char kept[sizeof ICO_Table[id].name];
        std::memcpy(kept, ICO_Table[id].name, sizeof kept);
        ICO_Table[id].name[0] = 0;
        HUD_BindIcons();
        const SPR_Entry *life = entry_of(HUD_Icons.life);
        const SPR_Entry *fill = entry_of({2, 1});
        const std::vector<uint8_t> before(fill->pixels, fill->pixels + 64 * 84 * 2);
        std::fill(std::begin(GFX_FireMap), std::end(GFX_FireMap), 9);
        HUD_Memory = {100, 100, 0};
        hud_recorder::Clear();
        HUD_DrawGauges(40, 100, 0, 0, 20, 100);
        EXPECT_EQ(hud_recorder::GaugeSprites().size(), c.drawn ? 1u : 0u);
        if (c.drawn) {
            EXPECT_EQ(hud_recorder::GaugeSprites()[0].fill1 == life, c.flash_kept_normal);
        } else {
            EXPECT_EQ(std::vector<uint8_t>(fill->pixels, fill->pixels + 64 * 84 * 2), before) << "filled";
        }
        EXPECT_EQ(hud_recorder::Drawings().size(), c.cursor ? 1u : 0u);
        std::memcpy(ICO_Table[id].name, kept, sizeof kept);
        HUD_BindIcons();
    }
}

// The fire's columns 25..56 burn in the left half of the life fill and 10..41 in the right half of the
// mana fill, in the alpha bytes only.
TEST_F(HudGaugeTest, TheFireGoesIntoTheFillsAlpha)
{
    for (size_t i = 0; i < sizeof GFX_FireMap; i++) {
        GFX_FireMap[i] = uint8_t(i * 7 + 3);
    }
    const SPR_Entry *life = HUD_Gauge.fill1, *mana = HUD_Gauge.fill2;
    ASSERT_EQ(life->width, 64);
    ASSERT_EQ(life->height, 84);
    const std::vector<uint8_t> life_before(life->pixels, life->pixels + 64 * 84 * 2);
    const std::vector<uint8_t> mana_before(mana->pixels, mana->pixels + 64 * 84 * 2);
    HUD_FillGauge();
    for (int row = 0; row < 84; row++) {
        for (int p = 0; p < 64; p++) {
            const size_t at = size_t(row * 64 + p) * 2;
            SCOPED_TRACE(testing::Message() << "row " << row << " pixel " << p);
            ASSERT_EQ(life->pixels[at], life_before[at]);
            ASSERT_EQ(mana->pixels[at], mana_before[at]);
            ASSERT_EQ(life->pixels[at + 1], p < 32 ? GFX_FireMap[row * 64 + 25 + p] : life_before[at + 1]);
            ASSERT_EQ(mana->pixels[at + 1], p >= 32 ? GFX_FireMap[row * 64 + 10 + p - 32] : mana_before[at + 1]);
        }
    }
}

// A fill smaller than the fire is written only within its own pixels (the sanitizers watch the rest).
TEST_F(HudGaugeTest, ASmallFillIsNotOverrun)
{
    std::fill(std::begin(GFX_FireMap), std::end(GFX_FireMap), 0x2A);
    std::vector<uint8_t> small_life(64 * 40 * 2, 0x11), small_mana(64 * 40 * 2, 0x11);
    SPR_Entry life = *HUD_Gauge.fill1, mana = *HUD_Gauge.fill2;
    life.height = mana.height = 40;
    life.pixels = small_life.data();
    mana.pixels = small_mana.data();
    HUD_Gauge.fill1 = &life;
    HUD_Gauge.fill2 = &mana;
    HUD_FillGauge();
    HUD_BindIcons();
    for (int row = 0; row < 40; row++) {
        EXPECT_EQ(small_life[size_t(row * 128 + 1)], 0x2A) << row;
        EXPECT_EQ(small_life[size_t(row * 128 + 64 + 1)], 0x11) << row;
        EXPECT_EQ(small_mana[size_t(row * 128 + 64 + 1)], 0x2A) << row;
    }
}

TEST_F(HudGaugeTest, GoldenPictures)
{
    for (const kalder_test::IconGolden &g : kalder_test::IconGoldens()) {
        SCOPED_TRACE(g.name);
        const kalder_test::Picture16 picture = g.make();
        EXPECT_TRUE(kalder_test::MatchesGolden(g.name, picture.pixels.data(), picture.width, picture.height, false));
    }
}

} // namespace
