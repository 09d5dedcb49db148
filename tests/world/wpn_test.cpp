// The hero's weapons: loading onto the hands, drawing, growing into the hand, draining the gauge,
// blinking and going away, and the gun.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/opt.h"
#include "engine3d/object.h"
#include "tests/support/fight_pictures.h"
#include "tests/support/golden.h"
#include "tests/support/weapon_models.h"
#include "tests/world/anim_fixture.h"
#include "tests/world/level_fixture.h"
#include "world/cam.h"
#include "world/ctrl.h"
#include "world/fgt.h"
#include "world/inv.h"
#include "world/wpn.h"

namespace {

using kalder_test::CharacterOptions;
using kalder_test::Weapon;

struct WeaponBench : anim_test::Figure {
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];

    void SetUp() override
    {
        Figure::SetUp();
        for (ActorRecord &slot : ACTOR_Slots) {
            ACTOR_InitRecord(&slot);
        }
        GAME_TimeFactor = 1.0;
        GAME_AltHeroModel = 0;
        WPN_SwordWasDrawn = WPN_BowWasDrawn = 0;
        FGT_FrameParity = 0;
        for (int32_t &control : CTRL_Controls) {
            control = 0;
        }
    }
    void TearDown() override
    {
        GAME_AltHeroModel = 0;
        WPN_SwordWasDrawn = WPN_BowWasDrawn = 0;
        WPN_Sword = WPN_Bow = WPN_Gun = WPN_Model{-1, -1, {}, {}};
        Figure::TearDown();
    }

    // The figure as the hero with the three weapons on the disc, loaded as the level load does.
    void Arm(const CharacterOptions &options = {})
    {
        Write(options);
        Ready(hero, figure, options);
        hero->flags[0] |= ACTOR_F0_HERO;
        hero->physics_mode = 1;
        for (const kalder_test::NamedFile &f : kalder_test::WeaponModels()) {
            Put(f);
        }
        Put(kalder_test::ThrownModel());
        WPN_LoadGun();
        WPN_LoadSword();
        WPN_LoadBow();
    }

    static bool TreeHidden(OBJ_Handle h)
    {
        const Addr r = Get_Hierarchy_Record(h);
        return (uint32_t(W_Get32(r + Addr(offsetof(OBJ_Record, flags)))) & OBJ_FLAG_SKIP_TREE) != 0;
    }

    // Every node's vertices equal the kept ones times the scale, truncated.
    static void ExpectScaled(const WPN_Model &weapon, float scale)
    {
        for (size_t n = 0; n < weapon.nodes.size(); n++) {
            std::vector<int32_t> now(weapon.kept[n].size());
            if (now.empty()) {
                continue;
            }
            Get_All_Vertices(weapon.nodes[n], now.data());
            for (size_t i = 0; i < now.size(); i++) {
                ASSERT_EQ(now[i], trunc_i32(float(weapon.kept[n][i]) * scale)) << "node " << n << " coordinate " << i;
            }
        }
    }
};

TEST_F(WeaponBench, LoadsEachWeaponOntoItsHandCarriedHiddenAndNotDrawn)
{
    struct Case {
        const char *right, *left;
    };
    for (const Case c : {Case{"MAIN-D", "MAIN-G"}, Case{"PAUMED", "PAUMEG"}}) {
        SCOPED_TRACE(c.right);
        TearDown();
        SetUp();
        CharacterOptions options;
        options.right_hand = c.right;
        options.left_hand = c.left;
        Arm(options);
        EXPECT_EQ(WPN_Sword.hand, figure + 3);
        EXPECT_EQ(WPN_Gun.hand, figure + 3);
        EXPECT_EQ(WPN_Bow.hand, figure + 4);
        EXPECT_EQ(Get_Obj_Parent(WPN_Sword.handle), figure + 3);
        EXPECT_EQ(Get_Obj_Parent(WPN_Bow.handle), figure + 4);
        EXPECT_EQ(Get_Obj_Parent(WPN_Gun.handle), figure + 3);
        EXPECT_EQ(hero->flags[6] & 0xF8, ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_HIDDEN | ACTOR_F6_BOW_CARRIED);
        EXPECT_EQ(hero->flags[7] & ACTOR_F7_BOW_HIDDEN, ACTOR_F7_BOW_HIDDEN);
        EXPECT_EQ(hero->flags[8] & 0x07, ACTOR_F8_GUN_CARRIED | ACTOR_F8_GUN_HIDDEN);
        EXPECT_TRUE(TreeHidden(WPN_Sword.handle));
        EXPECT_TRUE(TreeHidden(WPN_Bow.handle));
        EXPECT_TRUE(TreeHidden(WPN_Gun.handle));
        EXPECT_EQ(WPN_IsSwordDrawn() + WPN_IsBowDrawn() + WPN_IsGunDrawn(), 0);
        // The sword's two nodes kept as loaded.
        ASSERT_EQ(WPN_Sword.nodes.size(), 2u);
        std::vector<int32_t> blade;
        const std::vector<kalder_test::ObjectSpec> sword = kalder_test::WeaponObjects(Weapon::Sword);
        for (const kalder_test::Vec3 &v : sword[0].vertices) {
            blade.insert(blade.end(), v.begin(), v.end());
        }
        EXPECT_EQ(WPN_Sword.kept[0], blade);
    }
}

TEST_F(WeaponBench, AWeaponInHandWhenTheLastLevelEndedIsDrawnAgain)
{
    WPN_SwordWasDrawn = 1;
    Arm();
    EXPECT_EQ(WPN_IsSwordDrawn(), 1);
    EXPECT_FALSE(TreeHidden(WPN_Sword.handle));
    EXPECT_FLOAT_EQ(WPN_GrowFactor, 0.2f);

    TearDown();
    SetUp();
    WPN_BowWasDrawn = 1;
    Arm();
    EXPECT_EQ(WPN_IsSwordDrawn(), 0);
    EXPECT_EQ(WPN_IsBowDrawn(), 1);
    EXPECT_FALSE(TreeHidden(WPN_Bow.handle));
}

TEST_F(WeaponBench, AHeroWithoutHandsCarriesNothingAndShowsNothing)
{
    CharacterOptions options;
    options.right_hand = "BRAS-D";
    options.left_hand = "BRAS-G";
    WPN_SwordWasDrawn = 1;
    Arm(options);
    EXPECT_EQ(WPN_Sword.hand, -1);
    EXPECT_EQ(WPN_Bow.hand, -1);
    EXPECT_EQ(hero->flags[6] & (ACTOR_F6_SWORD_CARRIED | ACTOR_F6_BOW_CARRIED), 0);
    EXPECT_EQ(hero->flags[8] & ACTOR_F8_GUN_CARRIED, 0);
    WPN_DrawSword();
    WPN_DrawBow();
    WPN_DrawGun();
    EXPECT_EQ(WPN_IsSwordDrawn() + WPN_IsBowDrawn() + WPN_IsGunDrawn(), 0);
    EXPECT_TRUE(TreeHidden(WPN_Sword.handle));
    EXPECT_TRUE(TreeHidden(WPN_Bow.handle));
    EXPECT_TRUE(TreeHidden(WPN_Gun.handle));
    EXPECT_EQ(Get_Obj_Parent(WPN_Sword.handle), -1);
}

TEST_F(WeaponBench, TheAlternativeHeroModelsOwnWeaponIsHidden)
{
    CharacterOptions options;
    options.nate02 = true;
    GAME_AltHeroModel = 1;
    Arm(options);
    EXPECT_TRUE(TreeHidden(figure + 6));
    EXPECT_EQ(WPN_Sword.hand, figure + 3);

    TearDown();
    SetUp();
    Arm(options);
    EXPECT_FALSE(TreeHidden(figure + 6)) << "only the alternative model hides it";
}

TEST_F(WeaponBench, AMissingOrDamagedModelStopsTheGame)
{
    Write();
    Ready(hero, figure);
    for (const Weapon w : {Weapon::Sword, Weapon::Bow, Weapon::Gun}) {
        Put(kalder_test::WeaponModel(w, true));
    }
    Put(kalder_test::ThrownModel(true));
    struct Case {
        void (*load)();
        const char *what;
    };
    for (const Case c : {Case{WPN_LoadSword, "sword"}, Case{WPN_LoadBow, "bow"}, Case{WPN_LoadGun, "gun"},
                         Case{WPN_LoadThrown, "thrown"}}) {
        SCOPED_TRACE(c.what);
        const size_t boxes = test::MessageBoxes().size();
        try {
            c.load();
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
        }
        ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : Read Weapon Error");
    }
}

TEST(WeaponDeath, AMissingSwordEndsTheProcessWithStatus231)
{
    EXPECT_EXIT(
        {
            kalder_test::ResetCore();
            kalder_test::ImageArea area(1000000);
            WPN_LoadSword();
        },
        ::testing::ExitedWithCode(231), "");
}

// The sword drawn at gauge 30.0, stepped frame by frame at factor 1.
TEST_F(WeaponBench, TheSwordGrowsDrainsBlinksAndGoesAwayAtTen)
{
    Arm();
    WPN_DrawBow();
    hero->second_gauge = 30.0f;
    WPN_DrawSword();
    EXPECT_EQ(WPN_IsBowDrawn(), 0);
    EXPECT_TRUE(TreeHidden(WPN_Bow.handle));
    EXPECT_EQ(WPN_IsSwordDrawn(), 1);
    EXPECT_FALSE(TreeHidden(WPN_Sword.handle));
    ExpectScaled(WPN_Sword, 0.2f);

    float grow = 0.2f, gauge = 30.0f;
    for (int frame = 1; frame <= 500 && WPN_IsSwordDrawn() != 0; frame++) {
        SCOPED_TRACE(frame);
        FGT_FrameParity = frame & 1;
        const float before = gauge;
        WPN_SwordUpdate();
        if (before <= 10.0f) {
            break;
        }
        grow = grow * 1.15f > 1.0f ? 1.0f : grow * 1.15f;
        gauge -= 0.05f;
        ASSERT_FLOAT_EQ(hero->second_gauge, gauge);
        int32_t at[3];
        Get_Obj_Pos(WPN_Sword.handle, at);
        EXPECT_EQ(at[0], 92);
        EXPECT_EQ(at[2], -12);
        if (frame == 11) {
            EXPECT_LT(WPN_GrowFactor, 1.0f);
        }
        if (frame == 12) {
            EXPECT_EQ(WPN_GrowFactor, 1.0f);
        }
        if (gauge <= 20.0f) {
            const float scale = (gauge - 10.0f) / 10.0f < 0.2f ? 0.2f : (gauge - 10.0f) / 10.0f;
            ExpectScaled(WPN_Sword, scale);
            EXPECT_EQ(TreeHidden(WPN_Sword.handle), FGT_FrameParity == 1);
        } else {
            ExpectScaled(WPN_Sword, grow);
            EXPECT_FALSE(TreeHidden(WPN_Sword.handle));
        }
    }
    EXPECT_LE(hero->second_gauge, 10.0f);
    EXPECT_EQ(WPN_IsSwordDrawn(), 0);
    EXPECT_TRUE(TreeHidden(WPN_Sword.handle));
    EXPECT_NE(hero->flags[6] & ACTOR_F6_SWORD_HIDDEN, 0);
}

TEST_F(WeaponBench, TheBowGrowsSlowerAndBlinksFromFifteen)
{
    Arm();
    hero->second_gauge = 15.5f;
    WPN_DrawBow();
    EXPECT_NE(hero->flags[6] & ACTOR_F6_BOW_DRAWN, 0);
    EXPECT_EQ(hero->flags[7] & ACTOR_F7_BOW_HIDDEN, 0);
    FGT_FrameParity = 1;
    WPN_BowUpdate();
    EXPECT_FLOAT_EQ(WPN_GrowFactor, 0.2f * 1.1f);
    EXPECT_FLOAT_EQ(hero->second_gauge, 15.45f);
    ExpectScaled(WPN_Bow, 0.2f * 1.1f);
    EXPECT_FALSE(TreeHidden(WPN_Bow.handle)) << "above 15 it does not blink";
    hero->second_gauge = 15.0f;
    WPN_BowUpdate();
    const float gauge = 15.0f - 0.05f;
    ExpectScaled(WPN_Bow, (gauge - 10.0f) / 10.0f);
    EXPECT_TRUE(TreeHidden(WPN_Bow.handle)) << "odd parity";
    hero->second_gauge = 10.0f;
    WPN_BowUpdate();
    EXPECT_EQ(WPN_IsBowDrawn(), 0);
    EXPECT_NE(hero->flags[7] & ACTOR_F7_BOW_HIDDEN, 0);
    EXPECT_TRUE(TreeHidden(WPN_Bow.handle));
}

TEST_F(WeaponBench, AFreshK2PutsTheWeaponAwayAtOnce)
{
    struct Case {
        int32_t control;
        int32_t drawn;
    };
    for (const Case c : {Case{CTRL_HELD | CTRL_CHANGED, 0}, Case{CTRL_HELD, 1}, Case{CTRL_CHANGED, 1}}) {
        SCOPED_TRACE(c.control);
        TearDown();
        SetUp();
        Arm();
        hero->second_gauge = 100.0f;
        WPN_DrawSword();
        CTRL_Controls[CTRL_K2] = c.control;
        WPN_SwordUpdate();
        EXPECT_EQ(WPN_IsSwordDrawn(), c.drawn);
        EXPECT_FLOAT_EQ(hero->second_gauge, c.drawn != 0 ? 99.95f : 100.0f);
        WPN_DrawBow();
        WPN_BowUpdate();
        EXPECT_EQ(WPN_IsBowDrawn(), c.drawn);
    }
}

// The gun is drawn by itself when the level allows it, the inventory carries it and the gauge is
// above 10.
TEST_F(WeaponBench, TheGunIsDrawnWhenAllowedCarriedAndPaidFor)
{
    const struct {
        const char *what;
        bool allowed;
        const char *carried; // null: nothing
        float gauge;
        int32_t drawn;
    } cases[] = {
        {"allowed and carried", true, "GUN", 50.0f, 1}, {"not allowed", false, "GUN", 50.0f, 0},
        {"gauge 10", true, "GUN", 10.0f, 0},           {"gauge 10.5", true, "GUN", 10.5f, 1},
        {"another item", true, "GU", 50.0f, 0},        {"nothing carried", true, nullptr, 50.0f, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Arm();
        INV_Reset();
        INV_Init(hero);
        if (c.carried != nullptr) {
            INV_Add(hero, c.carried);
        }
        if (c.allowed) {
            hero->flags[8] |= ACTOR_F8_GUN_ALLOWED;
        }
        hero->second_gauge = c.gauge;
        WPN_GunUpdate();
        EXPECT_EQ(WPN_IsGunDrawn(), c.drawn);
        INV_Reset();
        hero->inventory = nullptr;
    }
}

TEST_F(WeaponBench, TheGunStaysInHandOnceDrawnShownOnlyOnTheGround)
{
    Arm();
    hero->flags[8] |= ACTOR_F8_GUN_ALLOWED;
    hero->second_gauge = 50.0f;
    WPN_GunUpdate();
    EXPECT_EQ(WPN_IsGunDrawn(), 0) << "no gun in the inventory";

    WPN_DrawSword();
    WPN_DrawGun();
    EXPECT_EQ(WPN_IsSwordDrawn(), 0);
    EXPECT_EQ(WPN_IsGunDrawn(), 1);
    for (const int32_t mode : {1, 2, 3, 1}) {
        SCOPED_TRACE(mode);
        hero->physics_mode = mode;
        WPN_GunUpdate();
        EXPECT_EQ(TreeHidden(WPN_Gun.handle), mode != 1);
        EXPECT_EQ((hero->flags[8] & ACTOR_F8_GUN_HIDDEN) != 0, mode != 1);
        int32_t at[3];
        Get_Obj_Pos(WPN_Gun.handle, at);
        EXPECT_EQ(at[0], 3);
        EXPECT_EQ(at[1], 7);
        EXPECT_EQ(at[2], -27);
    }
    WPN_DrawSword();
    EXPECT_EQ(WPN_IsSwordDrawn(), 1);
    EXPECT_EQ(WPN_IsGunDrawn(), 1) << "putting the gun away does nothing";
}

// The demo level at 320 x 240, Project0 loaded with its weapons.
struct WeaponPictures : level_test::LevelTest {
    void SetUp() override
    {
        LevelTest::SetUp();
        kalder_test::StopLevelCore();
        screen.reset();
        screen = std::make_unique<kalder_test::ScreenTarget>(320, 240);
        kalder_test::StartLevelCore();
        CAM_Init();
        PRJ_PendingFlag = 1;
        PRJ_LoadPending();
    }
    void TearDown() override
    {
        CAM_Exit();
        LevelTest::TearDown();
    }
};

TEST_F(WeaponPictures, TheHeroWithEachWeaponInHand)
{
    const std::vector<kalder_test::NamedPicture> pictures = kalder_test::FightPictures();
    ASSERT_EQ(pictures.size(), 5u);
    for (const kalder_test::NamedPicture &p : pictures) {
        if (p.name == "hero-sword-blink-odd") {
            // The blinking sword is gone on the odd frame: the hero as without a weapon.
            continue;
        }
        EXPECT_TRUE(kalder_test::MatchesGolden(p.name, p.pixels.data(), 320, 240, false)) << p.name;
    }
    EXPECT_NE(pictures[1].pixels, pictures[2].pixels) << "the blink shows on even frames only";
}

} // namespace
