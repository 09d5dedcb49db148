// The inventory and the HUD together: the all-powers sequence fills the record and tells the HUD,
// whose pickup rule chooses the hand slots, and a used hand slot hands its item to the hero.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/game_frame.h"
#include "core/opt.h"
#include "core/que.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/screen_target.h"
#include "world/actor.h"
#include "world/inv.h"

namespace {

MENJ_Icon icon_of(const char *name)
{
    MENJ_Icon icon;
    ICO_Find(name, &icon.set, &icon.sprite);
    return icon;
}

bool shows(const MENJ_HandSlot &hand, const MENJ_Icon &icon) { return hand.set == icon.set && hand.sprite == icon.sprite; }

struct InvHudTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        hud = std::make_unique<kalder_test::DemoHud>();
        screen = std::make_unique<kalder_test::ScreenTarget>(640, 480);
        kalder_test::ClearHudScene();
        INV_Reset();
        INV_Init(hero);
        GAME_SampleTaken = 0;
    }
    void TearDown() override
    {
        OPT_AllPowers = 0;
        OPT_AllPowersCount = 0;
        GAME_SampleTaken = 0;
        kalder_test::ClearHudScene();
        hero->inventory = nullptr;
        screen.reset();
        hud.reset();
        test::CloseAllFiles();
        kalder_test::ResetCore();
    }
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    std::unique_ptr<kalder_test::DemoHud> hud;
    std::unique_ptr<kalder_test::ScreenTarget> screen;
};

TEST_F(InvHudTest, AllPowersFillTheRecordAndTheFirstHandSlot)
{
    static const char *const powers[14] = {"feu",  "arc",     "epee",    "guerison", "bouclier", "connaiss", "temps",
                                           "spirit", "holo", "resurec", "invivib",  "mine",     "shaman",   "vitesse"};
    OPT_AllPowers = 1;
    OPT_AllPowersCount = 0;
    for (int f = 0; f < 14; f++) {
        SCOPED_TRACE(powers[f]);
        OPT_GiveAllPowers();
        ASSERT_EQ(MENJ_Queue->count, 1);
        EXPECT_EQ(MENJ_Queue->read->type, MENJ_PICKUP);
        EXPECT_STREQ(MENJ_PostedName(MENJ_Queue->read->a), powers[f]);
        MENJ_Update(1);
        const MENJ_Icon shown = icon_of(powers[f]);
        EXPECT_EQ(MENJ_Info.icon.set, shown.set);
        EXPECT_EQ(MENJ_Info.icon.sprite, shown.sprite);
    }
    EXPECT_EQ(OPT_AllPowers, 0);
    for (int i = 0; i < 14; i++) {
        SCOPED_TRACE(powers[i]);
        EXPECT_STREQ(INV_Data.names[i], powers[i]);
        EXPECT_EQ(INV_Data.count[i], 1);
        EXPECT_EQ(INV_Data.level[i], 1);
        EXPECT_EQ(ICO_Table[ICO_IndexOf(powers[i])].icon_class, ICO_CLASS_SPELL);
    }
    EXPECT_EQ(INV_Data.names[14][0], 0);
    EXPECT_EQ(INV_Data.selected, -1);

    // Without a beat no pending icon lands, so every pickup finds hand slot 0 still empty and aims
    // there: the last one, "vitesse", waits for it.
    for (const MENJ_HandSlot &hand : MENJ_Hands) {
        EXPECT_EQ(hand.set, -1);
    }
    EXPECT_EQ(MENJ_Info.pending_slot, 0);
    EXPECT_EQ(INV_Data.quick[0], 13);
    EXPECT_EQ(INV_Data.quick[1], -1);
    EXPECT_EQ(hero->spell_slots[1][0], 1);

    // The beats land it; the other slots stay empty.
    for (int f = 0; f < 8; f++) {
        GAME_SampleTaken = 1;
        MENJ_Update(1);
    }
    EXPECT_TRUE(shows(MENJ_Hands[0], icon_of("vitesse")));
    EXPECT_EQ(MENJ_Hands[1].set, -1);
    EXPECT_EQ(MENJ_Hands[2].set, -1);

    // Using hand slot 0 hands the item's level and its icon's value to the hero's second spell slot.
    const int32_t id = ICO_IndexOf("vitesse");
    const int32_t kept_value = ICO_Table[id].value;
    ICO_Table[id].value = 7;
    INV_Data.level[13] = 3;
    QUE_Post(MENJ_Queue, MENJ_SLOT_USED, 0, 0);
    MENJ_Update(1);
    ICO_Table[id].value = kept_value;
    EXPECT_EQ(hero->spell_slots[1][0], 3);
    EXPECT_EQ(hero->spell_slots[1][1], 7);
    EXPECT_EQ(hero->spell_slots[0][0], 0);
}

} // namespace
