// MENJ: start-up and shutdown, the events a game posts, the HUD's state from frame to frame, where it
// draws each part, and its golden pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "core/pack.h"
#include "core/que.h"
#include "interface/ico.h"
#include "interface/menj.h"
#include "world/mis.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "tests/interface/hud_recorder.h"
#include "tests/support/core_state.h"
#include "tests/support/font_writer.h"
#include "tests/support/golden.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/icon_pack_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/inv.h"
#include "world/prj.h"
#include "world/replay.h"

using hud_recorder::Drawn;
using hud_recorder::Kind;

namespace {

ActorRecord &hero() { return ACTOR_Slots[ACTOR_HERO]; }

MENJ_Icon icon(const char *name)
{
    MENJ_Icon i;
    ICO_Find(name, &i.set, &i.sprite);
    return i;
}

// Item place i of the inventory holds the item at a level, count times.
void give(int i, const char *name, int level = 1, int count = 1)
{
    std::strncpy(INV_Data.names[i], name, sizeof INV_Data.names[i]);
    INV_Data.level[i] = level;
    INV_Data.count[i] = count;
}

// Hand slot k shows the item of place i.
void show(int k, int i)
{
    INV_Data.quick[k] = i;
    const MENJ_Icon shown = icon(INV_Data.names[i]);
    MENJ_Hands[k] = {shown.set, shown.sprite, 0};
}

bool same(const MENJ_Icon &a, const MENJ_Icon &b) { return a.set == b.set && a.sprite == b.sprite; }

std::string describe(const Drawn &d)
{
    static const char *kinds[] = {"Draw", "Dark", "Plain", "PlainDark", "Faded", "Text"};
    return std::string(kinds[int(d.kind)]) + " " + std::to_string(d.set) + "," + std::to_string(d.sprite) + "/" +
           std::to_string(d.frame) + " at " + std::to_string(d.x) + "," + std::to_string(d.y) + " fade/font " +
           std::to_string(d.fade) + " '" + d.text + "'";
}

struct MenjTest : ::testing::Test {
    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        heap_before = test::HeapBlocksInUse();
        hud = std::make_unique<kalder_test::DemoHud>();
        screen = std::make_unique<kalder_test::ScreenTarget>(640, 480);
        kalder_test::ClearHudScene();
        hud_recorder::Clear();
        saved_next = PRJ_Next;
        GAME_SampleTaken = 0;
    }
    void TearDown() override
    {
        PRJ_Next = saved_next;
        PRJ_CurrentRecord.water_height = 0;
        GAME_SampleTaken = 0;
        hud_recorder::Clear();
        screen.reset();
        hud.reset();
        test::CloseAllFiles();
        EXPECT_EQ(test::HeapBlocksInUse(), heap_before) << "blocks not given back";
        kalder_test::ResetCore();
    }

    // One game frame of the HUD, drawn, with or without a beat.
    static void frame(bool beat = true)
    {
        GAME_SampleTaken = beat ? 1 : 0;
        MENJ_Update(1);
    }

    std::unique_ptr<kalder_test::DemoHud> hud;
    std::unique_ptr<kalder_test::ScreenTarget> screen;
    LevelRecord *saved_next = nullptr;
    size_t heap_before = 0;
};

TEST_F(MenjTest, StartUpFindsTheNamedIconsAndShutdownGivesEveryBlockBack)
{
    // DemoHud has run MENJ_Init on the demo pack.
    ASSERT_NE(MENJ_Queue, nullptr);
    EXPECT_EQ(MENJ_Queue->capacity, 50);
    EXPECT_EQ(MENJ_Queue->count, 0);
    EXPECT_EQ(PACK_Count, ICO_SET_COUNT);
    EXPECT_NE(test::Stdout().find("Nom: TOUCHES.SPR\n"), std::string::npos);
    for (const ICO_Set &set : ICO_Sets) {
        EXPECT_NE(set.entries, nullptr);
    }
    for (const MENJ_HandSlot &hand : MENJ_Hands) {
        EXPECT_EQ(hand.set, -1);
        EXPECT_EQ(hand.sprite, -1);
        EXPECT_EQ(hand.glow, 0);
    }
    const struct {
        const MENJ_Icon &found;
        int32_t set, sprite;
    } named[] = {
        {MENJ_Icons.nothing, 1, 0},  {MENJ_Icons.infosne, 4, 0},  {MENJ_Icons.infosne2, 4, 0},
        {MENJ_Icons.infosde, 4, 1},  {MENJ_Icons.infosta, 4, 2},  {MENJ_Icons.block, 4, 3},
        {MENJ_Icons.mcombat, 4, 4},  {MENJ_Icons.replay, 4, 5},   {MENJ_Icons.record, 4, 6},
        {MENJ_Icons.joy[MENJ_JOY_UP], 3, 0}, {MENJ_Icons.joy[MENJ_JOY_SEL], 3, 7}, {MENJ_Icons.joy[MENJ_JOY_BT1], 3, 10},
    };
    for (const auto &n : named) {
        EXPECT_EQ(n.found.set, n.set);
        EXPECT_EQ(n.found.sprite, n.sprite);
    }
    for (int c = 0; c < CTRL_COUNT; c++) {
        EXPECT_EQ(CTRL_Controls[c], c <= CTRL_RIGHT ? CTRL_RELEASED : 0) << c;
    }
    screen.reset();
    hud.reset(); // MENJ_Shutdown
    EXPECT_EQ(MENJ_Queue, nullptr);
    EXPECT_EQ(PACK_Count, 0);
    for (const ICO_Set &set : ICO_Sets) {
        EXPECT_EQ(set.entries, nullptr);
        EXPECT_EQ(set.palette, nullptr);
    }
    test::CloseAllFiles();
    EXPECT_EQ(test::HeapBlocksInUse(), heap_before);
}

// Without the icon pack start-up stops in the file layer: the controls were reset and the queue made
// before the pack was opened, and no set was read.
TEST_F(MenjTest, StartUpWithoutTheIconPackStopsAfterTheQueue)
{
    hud.reset();
    kalder_test::TempDrives drives("C");
    CTRL_Controls[CTRL_K1] = 7;
    try {
        MENJ_Init();
        ADD_FAILURE() << "no fatal stop";
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, 999);
        EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : Open file Error");
    }
    EXPECT_EQ(CTRL_Controls[CTRL_K1], 0);
    EXPECT_NE(MENJ_Queue, nullptr);
    EXPECT_EQ(ICO_Sets[0].entries, nullptr);
    MENJ_Shutdown();
}

// Scripted sequences of events over a fixture inventory and the hero.
TEST_F(MenjTest, EventsChangeTheSlotsAndTheInformation)
{
    const MENJ_Icon feu = icon("feu"), arc = icon("arc"), epee = icon("epee"), none{-1, -1};
    struct Case {
        const char *what;
        std::function<void()> setup;
        std::function<void()> post;
        std::function<void()> check;
    };
    const auto post_name = [](int code, const char *name) { return [=] { MENJ_PostName(code, name); }; };
    const auto post = [](int code, intptr_t a) { return [=] { QUE_Post(MENJ_Queue, uint8_t(code), a, 0); }; };
    const auto owned = [] { INV_Data.owner = &hero(); };
    // The three spells' pickups into the first free slot, each slot handing to its own spell slot.
    const auto pickup_into = [&](int filled, int field) {
        return Case{"a spell into the first free slot",
                    [=] {
                        owned();
                        give(2, "feu", 4);
                        give(5, "feu", 3); // the last place of the name is the one taken
                        give(6, "arc");
                        give(7, "epee");
                        for (int k = 0; k < filled; k++) {
                            show(k, 6 + k);
                        }
                        ICO_Table[0].value = 7;
                    },
                    post_name(0x41, "feu"),
                    [=] {
                        ICO_Table[0].value = MIS_TYPE_BOLT;
                        EXPECT_TRUE(same(MENJ_Info.icon, feu));
                        EXPECT_EQ(MENJ_Info.pickup_info, 1);
                        EXPECT_EQ(MENJ_Info.exit_info, 0);
                        EXPECT_EQ(MENJ_Info.blink_period, 6);
                        EXPECT_EQ(MENJ_Info.pending_slot, filled);
                        EXPECT_TRUE(same(MENJ_Info.pending, feu));
                        EXPECT_EQ(INV_Data.quick[filled], 5);
                        EXPECT_EQ(MENJ_Info.arrival_fade, 15);
                        EXPECT_EQ(MENJ_Hands[filled].set, -1) << "the icon arrives at the first step";
                        EXPECT_EQ(hero().spell_slots[field][0], 3);
                        EXPECT_EQ(hero().spell_slots[field][1], 7);
                        EXPECT_EQ(MENJ_IsSlotInfoShown(filled), 1);
                    }};
    };
    // A pickup that shows its information but fills no slot.
    const auto no_slot = [&](const char *what, std::function<void()> setup, const char *name) {
        return Case{what, setup, post_name(0x41, name), [=] {
                        EXPECT_EQ(MENJ_Info.pickup_info, 1);
                        EXPECT_TRUE(same(MENJ_Info.icon, icon(name)));
                        EXPECT_EQ(MENJ_Info.pending_slot, -1);
                        EXPECT_TRUE(same(MENJ_Info.pending, none));
                        EXPECT_EQ(MENJ_Info.arrival_fade, 0);
                        EXPECT_EQ(hero().spell_slots[1][1], 1) << "nothing handed";
                    }};
    };
    const Case cases[] = {
        pickup_into(0, 1),
        pickup_into(1, 0),
        pickup_into(2, 2),
        no_slot("a spell already in a slot",
                [&] {
                    owned();
                    give(0, "feu");
                    give(1, "arc");
                    show(1, 0);
                },
                "feu"),
        no_slot("all slots full",
                [&] {
                    owned();
                    give(0, "arc");
                    give(1, "epee");
                    give(2, "temps");
                    give(3, "feu");
                    show(0, 0), show(1, 1), show(2, 2);
                },
                "feu"),
        no_slot("a spell not in the inventory", owned, "temps"),
        {"an object shows its information and leaves the arrival alone",
         [&] {
             owned();
             give(0, "object03");
             MENJ_Info.pending_slot = 2;
             MENJ_Info.arrival_fade = 9;
         },
         post_name(0x41, "object03"),
         [&] {
             EXPECT_TRUE(same(MENJ_Info.icon, icon("object03")));
             EXPECT_EQ(MENJ_Info.pickup_info, 1);
             EXPECT_EQ(MENJ_Info.pending_slot, 2);
             EXPECT_EQ(MENJ_Info.arrival_fade, 9);
             EXPECT_EQ(INV_Data.quick[0], -1);
         }},
        {"a name that is no icon", nullptr, post_name(0x41, "dragon"),
         [&] {
             EXPECT_TRUE(same(MENJ_Info.icon, none));
             EXPECT_EQ(MENJ_Info.pickup_info, 1);
             EXPECT_EQ(MENJ_Info.blink_period, 6);
         }},
        {"a spell before the inventory has an owner", [&] { give(0, "arc", 9); }, post_name(0x41, "arc"),
         [&] {
             EXPECT_EQ(MENJ_Info.pending_slot, 0);
             EXPECT_EQ(INV_Data.quick[0], 0);
             EXPECT_EQ(MENJ_Info.arrival_fade, 15);
             EXPECT_EQ(hero().spell_slots[1][0], 0);
             EXPECT_EQ(hero().spell_slots[1][1], 1);
         }},
        {"an exit to a level visited before",
         [&] {
             static LevelRecord next;
             std::memcpy(next.name, "Project1xxxxxxxxxxxx", 20); // a full field, no terminator
             PRJ_Next = &next;
             hud_recorder::VisitedAnswer() = 1;
         },
         post_name(0x42, "object05"),
         [&] {
             EXPECT_TRUE(same(MENJ_Info.icon, icon("object05")));
             EXPECT_EQ(MENJ_Info.exit_info, 1);
             EXPECT_EQ(MENJ_Info.blink_period, 2);
             EXPECT_EQ(MENJ_Info.visited, 1);
             EXPECT_EQ(hud_recorder::VisitedAsked(), std::vector<std::string>{"Project1xxxxxxxxxxxx"});
         }},
        {"an exit to a level never visited",
         [&] {
             static LevelRecord next;
             std::strcpy(next.name, "Project2");
             PRJ_Next = &next;
             MENJ_Info.visited = 1;
             hud_recorder::VisitedAnswer() = 0;
         },
         post_name(0x42, "EXIT1"),
         [&] {
             EXPECT_TRUE(same(MENJ_Info.icon, none));
             EXPECT_EQ(MENJ_Info.exit_info, 1);
             EXPECT_EQ(MENJ_Info.visited, 0);
             EXPECT_EQ(hud_recorder::VisitedAsked(), std::vector<std::string>{"Project2"});
         }},
        {"an exit with no next project", [&] { PRJ_Next = nullptr; }, post_name(0x42, "feu"),
         [&] {
             EXPECT_EQ(MENJ_Info.visited, 0);
             EXPECT_TRUE(hud_recorder::VisitedAsked().empty());
         }},
        {"'B' and 'C' while the pickup information runs",
         [&] {
             MENJ_Info.visited = 1;
             hud_recorder::VisitedAnswer() = 0;
         },
         [&] {
             MENJ_PostName(0x41, "object01");
             MENJ_PostName(0x42, "feu");
             QUE_Post(MENJ_Queue, 0x43, 0, 0);
         },
         [&] {
             EXPECT_TRUE(same(MENJ_Info.icon, icon("object01")));
             EXPECT_EQ(MENJ_Info.exit_info, 0);
             EXPECT_EQ(MENJ_Info.visited, 1);
             EXPECT_EQ(MENJ_Info.blink_period, 6);
             EXPECT_TRUE(hud_recorder::VisitedAsked().empty());
         }},
        {"'C' ends the exit information",
         [&] {
             MENJ_Info.exit_info = 1;
             MENJ_Info.visited = 1;
         },
         post(0x43, 0),
         [&] {
             EXPECT_EQ(MENJ_Info.exit_info, 0);
             EXPECT_EQ(MENJ_Info.visited, 0);
         }},
        {"'D' while idle uses the slot",
         [&] {
             owned();
             give(4, "epee", 6);
             show(2, 4);
             ICO_Table[2].value = 11;
             MENJ_GlowDirection = -1;
         },
         post(0x44, 2),
         [&] {
             ICO_Table[2].value = MIS_TYPE_SWORD;
             EXPECT_EQ(MENJ_ActiveSlot, 2);
             EXPECT_EQ(MENJ_GlowDirection, 1);
             EXPECT_EQ(hero().spell_slots[2][0], 6);
             EXPECT_EQ(hero().spell_slots[2][1], 11);
         }},
        {"'D' while a slot is active",
         [&] {
             owned();
             give(4, "epee", 6);
             show(1, 4);
             MENJ_ActiveSlot = 0;
             MENJ_GlowDirection = -1;
         },
         post(0x44, 1),
         [&] {
             EXPECT_EQ(MENJ_ActiveSlot, 0);
             EXPECT_EQ(MENJ_GlowDirection, -1);
             EXPECT_EQ(hero().spell_slots[0][0], 0);
         }},
        {"'D' for no hand slot", nullptr, [&] { QUE_Post(MENJ_Queue, 0x44, 3, 0), QUE_Post(MENJ_Queue, 0x44, -1, 0); },
         [&] { EXPECT_EQ(MENJ_ActiveSlot, -1); }},
        {"'E' while idle", [&] { MENJ_Hands[1].glow = 4; }, post(0x45, 0),
         [&] {
             EXPECT_EQ(MENJ_ActiveSlot, -1);
             EXPECT_EQ(MENJ_Hands[1].glow, 4);
         }},
        {"'E' while active",
         [&] {
             MENJ_ActiveSlot = 1;
             MENJ_Hands[1].glow = 4;
         },
         post(0x45, 0),
         [&] {
             EXPECT_EQ(MENJ_ActiveSlot, -1);
             EXPECT_EQ(MENJ_Hands[1].glow, 0);
         }},
        {"a dialogue entry that loads", [&] { hud_recorder::DialogueAnswer() = 1; }, post(0x40, 7),
         [&] {
             EXPECT_EQ(hud_recorder::DialogueEntries(), std::vector<int32_t>{7});
             EXPECT_EQ(hud_recorder::WindowsRun(), 1);
         }},
        {"a dialogue entry that does not load", [&] { hud_recorder::DialogueAnswer() = 0; }, post(0x40, 7),
         [&] {
             EXPECT_EQ(hud_recorder::DialogueEntries(), std::vector<int32_t>{7});
             EXPECT_EQ(hud_recorder::WindowsRun(), 0);
         }},
        {"a name freed after posting",
         [&] {
             owned();
             give(0, "arc");
         },
         [&] {
             auto name = std::make_unique<char[]>(16);
             std::strcpy(name.get(), "arc");
             MENJ_PostName(0x41, name.get());
             std::strcpy(name.get(), "zzz");
         },
         [&] {
             EXPECT_TRUE(same(MENJ_Info.icon, arc));
             EXPECT_EQ(MENJ_Info.pending_slot, 0);
         }},
        {"a name of 40 characters", nullptr,
         [&] { MENJ_PostName(0x42, "epee_of_forty_characters_xxxxxxxxxxxxxxx"); },
         [&] {
             // Cut to 15 characters, it names no icon.
             EXPECT_TRUE(same(MENJ_Info.icon, none));
             EXPECT_EQ(MENJ_Info.exit_info, 1);
         }},
    };
    (void)epee;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ClearHudScene();
        hud_recorder::Clear();
        QUE_Clear(MENJ_Queue);
        PRJ_Next = saved_next;
        if (c.setup) {
            c.setup();
        }
        c.post();
        MENJ_Dispatcher();
        EXPECT_EQ(MENJ_Queue->count, 0);
        c.check();
    }
}

TEST_F(MenjTest, PostedNamesAreCopiedIntoTheRing)
{
    const std::string long_name(40, 'n');
    MENJ_PostName(0x42, long_name.c_str());
    MGM_Event event;
    ASSERT_EQ(QUE_Read(MENJ_Queue, &event), 1);
    EXPECT_EQ(event.type, 0x42);
    EXPECT_EQ(std::string(MENJ_PostedName(event.a)), std::string(15, 'n'));
    MENJ_PostName(0x41, nullptr);
    ASSERT_EQ(QUE_Read(MENJ_Queue, &event), 1);
    EXPECT_STREQ(MENJ_PostedName(event.a), "");
    EXPECT_STREQ(MENJ_PostedName(-1), "");
    EXPECT_STREQ(MENJ_PostedName(MENJ_NAME_RING), "");
    // A full queue drops the post before it takes an entry: the 50 queued names stay as posted,
    // through the ring's wrap.
    for (int i = 0; i < 60; i++) {
        MENJ_PostName(0x42, ("name" + std::to_string(i)).c_str());
    }
    EXPECT_EQ(MENJ_Queue->count, 50);
    for (int i = 0; i < 50; i++) {
        ASSERT_EQ(QUE_Read(MENJ_Queue, &event), 1);
        EXPECT_EQ(std::string(MENJ_PostedName(event.a)), "name" + std::to_string(i));
    }
    for (int i = 0; i < 120; i++) {
        MENJ_PostName(0x41, ("again" + std::to_string(i)).c_str());
        ASSERT_EQ(QUE_Read(MENJ_Queue, &event), 1);
        EXPECT_EQ(std::string(MENJ_PostedName(event.a)), "again" + std::to_string(i));
    }
}

TEST_F(MenjTest, AnUnknownEventIsFatal)
{
    for (uint8_t code : {0x46, 0x3F, 0x00}) {
        SCOPED_TRACE(int(code));
        QUE_Post(MENJ_Queue, code, 0, 0);
        try {
            MENJ_Update(1);
            ADD_FAILURE() << "no fatal stop";
        } catch (const test::ExitCalled &exit) {
            EXPECT_EQ(exit.code, 999);
            EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : unknown message type in MENJ_Dispatcher");
        }
        QUE_Clear(MENJ_Queue);
    }
}

TEST_F(MenjTest, ClearingTheSlotInformationEndsItAtOnce)
{
    INV_Data.owner = &hero();
    give(0, "feu");
    MENJ_PostName(0x41, "feu");
    MENJ_Dispatcher();
    MENJ_Hands[0].glow = 3;
    ASSERT_EQ(MENJ_IsSlotInfoShown(0), 1);
    EXPECT_EQ(MENJ_IsSlotInfoShown(1), 0);
    MENJ_ClearSlotInfo(0, 4, 33);
    EXPECT_EQ(MENJ_IsSlotInfoShown(0), 0);
    EXPECT_TRUE(same(MENJ_Info.icon, MENJ_Icon{-1, -1}));
    EXPECT_TRUE(same(MENJ_Info.pending, MENJ_Icon{4, 33}));
    EXPECT_EQ(MENJ_Hands[0].glow, 0);
    EXPECT_EQ(MENJ_Info.pickup_info, 0);
    EXPECT_EQ(MENJ_Info.pickup_step, 0);
    EXPECT_EQ(MENJ_Info.blink_period, 2);
}

// A spell picked up: six beats to the first step, then fifteen steps a frame in which the spell
// arrives, the information fades out and the pickup ends.
TEST_F(MenjTest, ThePickupInformationRunsItsFifteenSteps)
{
    INV_Data.owner = &hero();
    give(3, "guerison", 1, 2);
    MENJ_PostName(0x41, "guerison");
    const MENJ_Icon spell = icon("guerison");
    frame(false); // no beat: nothing moves
    EXPECT_EQ(MENJ_Info.blink_counter, 0);
    for (int f = 1; f <= 5; f++) {
        frame();
        EXPECT_EQ(MENJ_Info.pickup_step, 0) << f;
        EXPECT_EQ(MENJ_Hands[0].set, -1) << f;
    }
    for (int step = 1; step <= 14; step++) {
        SCOPED_TRACE(step);
        hud_recorder::Clear();
        frame(step == 1 || step % 2 == 0); // the sixth beat, then with or without beats
        EXPECT_EQ(MENJ_Info.pickup_info, 1);
        EXPECT_EQ(MENJ_Info.pickup_step, step);
        EXPECT_EQ(MENJ_Info.info_fade, step);
        EXPECT_EQ(MENJ_Info.arrival_fade, 15 - step);
        EXPECT_EQ(MENJ_Info.blink_period, 0);
        EXPECT_TRUE(same({MENJ_Hands[0].set, MENJ_Hands[0].sprite}, spell));
        if (step > 1) {
            // Drawn before this frame's step: the information faded by the last fade, the slot
            // fading in by the arrival's.
            const std::vector<Drawn> &d = hud_recorder::Drawings();
            EXPECT_EQ(d.at(0), (Drawn{Kind::Faded, spell.set, spell.sprite, 0, 410, 430, step - 1, ""}));
            EXPECT_EQ(d.at(1), (Drawn{Kind::Faded, spell.set, spell.sprite, 0, 480, 430, 15 - (step - 1), ""}));
        }
    }
    frame(false);
    EXPECT_EQ(MENJ_Info.pickup_info, 0);
    EXPECT_EQ(MENJ_Info.pickup_step, 0);
    EXPECT_EQ(MENJ_Info.blink_period, 2);
    EXPECT_TRUE(same(MENJ_Info.icon, MENJ_Icon{-1, -1}));
    EXPECT_EQ(MENJ_Info.arrival_fade, 0);
    // The spell stays, drawn plainly with its count.
    hud_recorder::Clear();
    frame(false);
    const std::vector<Drawn> &d = hud_recorder::Drawings();
    ASSERT_GE(d.size(), 2u);
    EXPECT_EQ(d[0], (Drawn{Kind::Draw, spell.set, spell.sprite, 0, 480, 430, 0, ""}));
    EXPECT_EQ(d[1], (Drawn{Kind::Text, -1, -1, 0, 515, 470, 1, "2"}));
}

TEST_F(MenjTest, BlinkPeriodsAlternateUntilTheReplayIsFull)
{
    const struct {
        int32_t replay_index;
        std::vector<int> phases, periods;
    } cases[] = {
        {0, {0, 1, 0, 0, 1, 0, 0, 1}, {2, 1, 2, 2, 1, 2, 2, 1}},
        {5375, {0, 1, 0, 0, 1, 0, 0, 1}, {2, 1, 2, 2, 1, 2, 2, 1}},
        {5376, {0, 1, 0, 1, 0, 1, 0, 1}, {2, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.replay_index);
        kalder_test::ClearHudScene();
        REPLAY_Index = c.replay_index;
        REPLAY_State = 0;
        MENJ_PostName(0x42, "feu"); // the exit information blinks with the same rule
        for (size_t f = 0; f < c.phases.size(); f++) {
            const uint8_t phase_drawn = MENJ_Indicator.phase;
            hud_recorder::Clear();
            frame();
            EXPECT_EQ(MENJ_Indicator.phase, c.phases[f]) << f;
            EXPECT_EQ(MENJ_Indicator.period, c.periods[f]) << f;
            EXPECT_EQ(MENJ_Info.blink_period, f % 3 == 1 ? 1 : 2) << f;
            // "record" shows on the frames that begin with the phase at 1.
            bool shown = false;
            for (const Drawn &d : hud_recorder::Drawings()) {
                shown = shown || (d.set == 4 && d.sprite == 6 && d.x == 565 && d.y == 10);
            }
            EXPECT_EQ(shown, phase_drawn == 1) << f;
        }
    }
}

TEST_F(MenjTest, TheActiveSlotGlowsUpToFiveAndBack)
{
    INV_Data.owner = &hero();
    give(0, "feu");
    show(1, 0);
    QUE_Post(MENJ_Queue, 0x44, 1, 0);
    const int glows[] = {1, 2, 3, 4, 5, 4, 3, 2, 1, 0, 0, 1, 2};
    for (int expected : glows) {
        hud_recorder::Clear();
        frame(false);
        EXPECT_EQ(MENJ_Hands[1].glow, expected);
        // Drawn with this frame's glow: faded by it, plainly at 0.
        const Drawn &slot = hud_recorder::Drawings().at(1);
        EXPECT_EQ(slot.kind, expected != 0 ? Kind::Faded : Kind::Draw);
        EXPECT_EQ(slot.fade, expected);
        EXPECT_EQ(slot.x, 530);
    }
    QUE_Post(MENJ_Queue, 0x45, 0, 0);
    frame(false);
    EXPECT_EQ(MENJ_Hands[1].glow, 0);
    frame(false);
    EXPECT_EQ(MENJ_Hands[1].glow, 0);
}

TEST_F(MenjTest, TheEmptySlotsRingTurnsThroughSixteenFrames)
{
    for (int f = 0; f < 18; f++) {
        hud_recorder::Clear();
        frame(false);
        const std::vector<Drawn> &d = hud_recorder::Drawings();
        ASSERT_EQ(d.size(), 4u);
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(d[size_t(k)], (Drawn{Kind::Faded, 1, 0, f % 16, 480 + 50 * k, 430, 2, ""}));
        }
        // The balance cursor, resting in the middle of the pyramid.
        EXPECT_EQ(d[3], (Drawn{Kind::Draw, 2, 6, 0, 50, 429, 0, ""}));
    }
    // Not drawn, nothing moves.
    const int32_t frame_before = MENJ_AnimFrame;
    MENJ_Update(0);
    EXPECT_EQ(MENJ_AnimFrame, frame_before);
}

// Every part of the HUD at once, against the places of the layout on a large and a small screen.
TEST_F(MenjTest, EveryPartIsDrawnAtItsPlace)
{
    const struct {
        int width, height;
        std::vector<Drawn> expected;
        int32_t gauge_x, gauge_y;
    } cases[] = {
        {640,
         480,
         {
             {Kind::Plain, 3, 0, 0, 582, 375, 0, ""},     {Kind::PlainDark, 3, 1, 0, 582, 404, 0, ""},
             {Kind::PlainDark, 3, 2, 0, 552, 404, 0, ""}, {Kind::PlainDark, 3, 3, 0, 611, 404, 0, ""},
             {Kind::PlainDark, 3, 4, 0, 437, 375, 0, ""}, {Kind::PlainDark, 3, 5, 0, 466, 375, 0, ""},
             {Kind::PlainDark, 3, 6, 0, 495, 375, 0, ""}, {Kind::Plain, 3, 7, 0, 379, 375, 0, ""},
             {Kind::PlainDark, 3, 9, 0, 437, 404, 0, ""}, {Kind::Plain, 3, 10, 0, 466, 404, 0, ""},
             {Kind::Draw, 4, 5, 0, 565, 10, 0, ""},       {Kind::Draw, 4, 36, 0, 410, 430, 0, ""},
             {Kind::Draw, 0, 0, 0, 480, 430, 0, ""},      {Kind::Text, -1, -1, 0, 515, 470, 1, "1"},
             {Kind::Faded, 0, 3, 0, 530, 430, 3, ""},     {Kind::Text, -1, -1, 0, 565, 470, 1, "12"},
             {Kind::Draw, 0, 13, 0, 580, 430, 0, ""},     {Kind::Text, -1, -1, 0, 615, 470, 1, "99"},
             {Kind::Draw, 4, 3, 0, 580, 430, 0, ""},      {Kind::Draw, 2, 6, 0, 50, 429, 0, ""},
             {Kind::Draw, 4, 0, 0, 10, 10, 0, ""},        {Kind::Draw, 4, 4, 0, 590, 10, 0, ""},
         },
         20,
         390},
        {320,
         200,
         {
             {Kind::Plain, 3, 0, 0, 291, 147, 0, ""},     {Kind::PlainDark, 3, 1, 0, 291, 162, 0, ""},
             {Kind::PlainDark, 3, 2, 0, 276, 162, 0, ""}, {Kind::PlainDark, 3, 3, 0, 305, 162, 0, ""},
             {Kind::PlainDark, 3, 4, 0, 218, 147, 0, ""}, {Kind::PlainDark, 3, 5, 0, 233, 147, 0, ""},
             {Kind::PlainDark, 3, 6, 0, 247, 147, 0, ""}, {Kind::Plain, 3, 7, 0, 189, 147, 0, ""},
             {Kind::PlainDark, 3, 9, 0, 218, 162, 0, ""}, {Kind::Plain, 3, 10, 0, 233, 162, 0, ""},
             {Kind::Draw, 4, 5, 0, 282, 5, 0, ""},        {Kind::Draw, 4, 36, 0, 205, 175, 0, ""},
             {Kind::Draw, 0, 0, 0, 240, 175, 0, ""},      {Kind::Text, -1, -1, 0, 257, 195, 1, "1"},
             {Kind::Faded, 0, 3, 0, 265, 175, 3, ""},     {Kind::Text, -1, -1, 0, 282, 195, 1, "12"},
             {Kind::Draw, 0, 13, 0, 290, 175, 0, ""},     {Kind::Text, -1, -1, 0, 307, 195, 1, "99"},
             {Kind::Draw, 4, 3, 0, 290, 175, 0, ""},      {Kind::Draw, 2, 6, 0, 25, 174, 0, ""},
             {Kind::Draw, 4, 0, 0, 5, 5, 0, ""},          {Kind::Draw, 4, 4, 0, 295, 5, 0, ""},
         },
         10,
         155},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        kalder_test::ScreenTarget target(c.width, c.height);
        kalder_test::SetHudScene(kalder_test::HudScene::Slots);
        REPLAY_Active = 1;
        REPLAY_State = 1;
        MENJ_Indicator.phase = 1;
        CTRL_Controls[CTRL_UP] = CTRL_HELD;
        CTRL_Controls[CTRL_K2] = CTRL_CHANGED;
        CTRL_Controls[CTRL_SEL] = CTRL_HELD;
        CTRL_Controls[CTRL_K1] = CTRL_HELD; // takes no part
        MENJ_Info.icon = icon("object05");
        MENJ_Info.exit_info = 1;
        hud_recorder::Clear();
        MENJ_Update(1);
        const std::vector<Drawn> &drawn = hud_recorder::Drawings();
        ASSERT_EQ(drawn.size(), c.expected.size());
        for (size_t i = 0; i < drawn.size(); i++) {
            EXPECT_EQ(drawn[i], c.expected[i]) << i << ": " << describe(drawn[i]);
        }
        ASSERT_EQ(hud_recorder::GaugeCalls().size(), 1u);
        EXPECT_EQ(hud_recorder::GaugeCalls()[0].x, c.gauge_x);
        EXPECT_EQ(hud_recorder::GaugeCalls()[0].y, c.gauge_y);
    }
}

// The information corner: the visited exit's icon, else the pickup's, else the unvisited exit's.
TEST_F(MenjTest, TheCornerShowsOneInformation)
{
    const struct {
        int32_t visited;
        uint8_t exit_info, pickup_info;
        int32_t sprite; // of set 4; -1: none
    } cases[] = {
        {1, 1, 0, 1}, {1, 0, 1, -1}, {1, 1, 1, 1}, {0, 0, 1, 2}, {0, 1, 1, 2}, {0, 1, 0, 0}, {0, 0, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.visited << int(c.exit_info) << int(c.pickup_info));
        kalder_test::ClearHudScene();
        MENJ_Info.visited = c.visited;
        MENJ_Info.exit_info = c.exit_info;
        MENJ_Info.pickup_info = c.pickup_info;
        MENJ_Info.blink_period = 99;
        hud_recorder::Clear();
        frame(false);
        std::vector<Drawn> corner;
        for (const Drawn &d : hud_recorder::Drawings()) {
            if (d.x == 10 && d.y == 10) {
                corner.push_back(d);
            }
        }
        if (c.sprite < 0) {
            EXPECT_TRUE(corner.empty());
        } else {
            ASSERT_EQ(corner.size(), 1u);
            EXPECT_EQ(corner[0], (Drawn{Kind::Draw, 4, c.sprite, 0, 10, 10, 0, ""}));
        }
    }
}

// The gauges get the hero's values, or those of what it is coupled to, with the mana held to 100 and
// the air only under water.
TEST_F(MenjTest, TheGaugesGetTheShownActorsValues)
{
    static ActorRecord coupled;
    const struct {
        const char *what;
        int32_t water, mode;
        float air, mana;
        bool couple;
        float expected_mana, expected_oxygen;
    } cases[] = {
        {"dry land", 0, 2, 50.0f, 40.0f, false, 40.0f, 0.0f},
        {"swimming", 300, 2, 50.0f, 40.0f, false, 40.0f, 50.0f},
        {"walking in a level with water", 300, 1, 50.0f, 40.0f, false, 40.0f, 0.0f},
        {"out of air", 300, 2, 2.0f, 40.0f, false, 40.0f, 0.0f},
        {"mana above 100", 0, 1, 50.0f, 120.0f, false, 100.0f, 0.0f},
        {"coupled", 300, 2, 60.0f, 130.0f, true, 100.0f, 60.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::ClearHudScene();
        ACTOR_InitRecord(&coupled);
        PRJ_CurrentRecord.water_height = c.water;
        ActorRecord &shown = c.couple ? coupled : hero();
        hero().coupled = c.couple ? &coupled : nullptr;
        hero().second_gauge = 77.0f;
        shown.physics_mode = c.mode;
        shown.air = c.air;
        shown.second_gauge = c.mana;
        shown.life = 33.0f;
        hud_recorder::Clear();
        frame(false);
        ASSERT_EQ(hud_recorder::GaugeCalls().size(), 1u);
        const hud_recorder::Gauges &g = hud_recorder::GaugeCalls()[0];
        EXPECT_EQ(g.life, 33.0f);
        EXPECT_EQ(g.mana, c.expected_mana);
        EXPECT_EQ(g.oxygen, c.expected_oxygen);
        EXPECT_EQ(g.balance, 0.0f);
        EXPECT_EQ(shown.second_gauge, c.expected_mana) << "held in the record";
        if (c.couple) {
            EXPECT_EQ(hero().second_gauge, 77.0f);
        }
    }
    hero().coupled = nullptr;
}

TEST_F(MenjTest, GoldenPictures)
{
    for (const kalder_test::HudGolden &g : kalder_test::HudGoldens()) {
        SCOPED_TRACE(g.name);
        const kalder_test::Picture16 picture = kalder_test::HudPicture(g.scene, g.width, g.height);
        EXPECT_TRUE(kalder_test::MatchesGolden(g.name, picture.pixels.data(), picture.width, picture.height, false));
    }
}

} // namespace
