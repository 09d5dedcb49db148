// The hero's move handlers: one call with the controls and the record set, and what it asked for.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "core/fsb.h"
#include "core/game_frame.h"
#include "core/que.h"
#include "core/snd.h"
#include "editor/edt.h"
#include "engine3d/object.h"
#include "engine3d/records.h"
#include "engine3d/workarea.h"
#include "interface/menj.h"
#include "interface/sym.h"
#include "tests/support/fsb_writer.h"
#include "tests/world/anim_fixture.h"
#include "tests/world/tick_fixture.h"
#include "world/ctrl.h"
#include "world/fgt.h"
#include "world/fgt_hit.h"
#include "world/fgt_moves.h"
#include "tests/world/fx_recorder.h"
#include "world/fx.h"
#include "world/inv.h"
#include "world/mis.h"
#include "world/prj.h"

namespace {

constexpr int32_t Held = CTRL_HELD, Pressed = CTRL_HELD | CTRL_CHANGED, Up = CTRL_RELEASED,
                  Let = CTRL_RELEASED | CTRL_CHANGED;
enum Mode { Ground = 1, Water = 2, Air = 3 };

struct Moves : anim_test::Figure {
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    LevelRecord project{};

    void SetUp() override
    {
        Figure::SetUp();
        kalder_test::CharacterOptions options;
        options.numbers = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 24, 25, 26, 28, 32, 39, 50, 60, 61};
        Write(options);
        for (ActorRecord &slot : ACTOR_Slots) {
            ACTOR_InitRecord(&slot);
        }
        Ready(hero, figure, options);
        hero->flags[0] |= ACTOR_F0_HERO;
        hero->physics_mode = Ground;
        hero->life = 100.0f;
        hero->second_gauge = 50.0f;
        hero->air = 50.0f;
        ACTOR_Slots[0].flags[0] |= ACTOR_F0_IN_USE;
        ACTOR_Slots[ACTOR_SCENE].flags[0] |= ACTOR_F0_IN_USE;
        ACTOR_BuildActiveLists();
        std::memset(&project, 0, sizeof project);
        PRJ_Current = &project;
        GAME_TimeFactor = 1.0;
        GAME_SampleTaken = 0;
        EDT_Active = 0;
        FGT_Danger = 0;
        FGT_LandingSpeed = 0.0f;
        FGT_TakeOffTimer = 0;
        fx_recorder::Forget();
        for (int32_t &control : CTRL_Controls) {
            control = Up;
        }
        QUE_Destroy(MENJ_Queue);
        MENJ_Queue = QUE_Create(50);
    }
    void TearDown() override
    {
        QUE_Destroy(MENJ_Queue);
        MENJ_Queue = nullptr;
        PRJ_Current = nullptr;
        Figure::TearDown();
    }

    // One call of the handler of the mode; the action it requested last (-1: none).
    int32_t Run(int32_t mode, int32_t in_reach = 0, int32_t f92_near = 0)
    {
        hero->requested_anim = -1;
        switch (mode) {
        case Ground: FGT_FightMoves(hero, in_reach, f92_near); break;
        case Water: FGT_SwimMoves(hero, in_reach); break;
        default: FGT_AirMoves(hero, in_reach); break;
        }
        return hero->requested_anim;
    }
    // The hero in an animation at a share of its frames.
    void InAnim(int32_t anim, double share)
    {
        hero->current_anim = anim;
        hero->frame_count = 20;
        hero->frame_position = float(share * 20.0);
    }
    static std::vector<MGM_Event> Events() { return tick_test::MenjEvents(); }
    // The MENJ events but the every-frame 'B'/'C'.
    static std::string Posted()
    {
        std::string text;
        for (const MGM_Event &e : Events()) {
            if (e.type != 0x42 && e.type != 0x43) {
                text += char(e.type);
                text += std::to_string(e.a);
            }
        }
        return text;
    }
    void Sword() { hero->flags[6] |= ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_DRAWN; }
    void Bow() { hero->flags[6] |= ACTOR_F6_BOW_CARRIED | ACTOR_F6_BOW_DRAWN; }
    void Gun() { hero->flags[8] |= ACTOR_F8_GUN_CARRIED | ACTOR_F8_GUN_DRAWN; }
    // An object in slot n at (x, 0, 0) with a node of its own.
    ActorRecord *Object(int32_t n, double x, const char *name)
    {
        ActorRecord *o = &ACTOR_Slots[n];
        ACTOR_InitRecord(o);
        o->flags[0] |= ACTOR_F0_IN_USE;
        o->flags[1] |= ACTOR_F1_OBJECT;
        o->position[0] = x;
        o->life = 50.0f;
        o->node = Clone_Obj(figure);
        std::strncpy(o->node_name, name, sizeof o->node_name - 1);
        ACTOR_BuildActiveLists();
        return o;
    }
};

// ---- Ground ----------------------------------------------------------------------------------------

TEST_F(Moves, LandingCostsLifeByItsHardness)
{
    struct Case {
        float speed;
        double factor;
        uint32_t measure;
        bool strong;  // flag byte 5 0x20
        float cost;   // life lost
        bool hard;    // action 39
    };
    const Case cases[] = {
        {130.0f, 1.0, 2, false, 30.0f, true},   // 5 + 10 + 15, the hard landing
        {60.0f, 1.0, 2, false, 0.0f, false},    // exactly 60: nothing
        {95.0f, 1.0, 2, false, 5.0f, true},
        {260.0f, 1.0, 2, false, 100.0f, false}, // deadly: no hard landing
        {130.0f, 2.0, 2, false, 5.0f, false},   // r = 65
        {130.0f, 1.0, 1, false, 0.0f, false},   // no contact
        {101.0f, 1.0, 2, true, 2.0f, false},
        {100.0f, 1.0, 2, true, 0.0f, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.speed << " at factor " << c.factor << " measure " << c.measure);
        TearDown();
        SetUp();
        GAME_TimeFactor = c.factor;
        FGT_LandingSpeed = c.speed;
        hero->contact_measure = c.measure;
        hero->phy_velocity[1] = 7.5;
        if (c.strong) {
            hero->flags[5] |= ACTOR_F5_STRONG_TURN;
        }
        const int32_t action = Run(Ground);
        EXPECT_EQ(std::max(hero->life, 0.0f), 100.0f - c.cost);
        EXPECT_EQ(action == 39, c.hard);
        // The hard landing ends the step with the speed kept; otherwise it follows the vertical speed.
        EXPECT_EQ(FGT_LandingSpeed, c.hard ? c.speed : 7.5f);
    }
}

TEST_F(Moves, GroundEarlyExitsInOrder)
{
    struct Case {
        uint32_t measure;
        bool strong;
        int32_t menu_answer;
        float cost;
        bool reaches_moves; // air refilled, the walk asked for
    };
    const Case cases[] = {
        {65, false, 0, 0.0f, false}, {65, true, 0, 1.0f, false}, {127, true, 0, 1.0f, true},
        {3, false, 1, 0.0f, false},  {3, false, 0, 0.0f, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "measure " << c.measure << " strong " << c.strong << " menu " << c.menu_answer);
        TearDown();
        SetUp();
        hero->contact_measure = c.measure;
        hero->flags[5] |= c.strong ? ACTOR_F5_STRONG_TURN : 0;
        // An open symbol list with the hero as its partner takes the controls.
        ActorRecord speaker;
        ACTOR_InitRecord(&speaker);
        speaker.flags[1] |= ACTOR_F1_SYMBOLS;
        if (c.menu_answer != 0) {
            ASSERT_EQ(SYM_MenuOpen(&speaker, hero), 1);
        }
        FGT_LandingSpeed = 0.0f; // a soft landing
        CTRL_Controls[CTRL_UP] = Held;
        const int32_t action = Run(Ground);
        EXPECT_EQ(hero->life, 100.0f - c.cost);
        EXPECT_EQ(hero->air, c.reaches_moves ? 100.0f : 50.0f);
        EXPECT_EQ(action, c.reaches_moves ? 4 : -1);
        // 'B' or 'C' is posted once the measure let the step go on.
        const std::vector<MGM_Event> events = Events();
        EXPECT_EQ(events.size(), c.measure > 64 && c.measure != 127 ? 0u : 1u);
        SYM_MenuClose(&speaker);
    }
}

TEST_F(Moves, EscapeOpensTheMenuEndsACouplingOrDoesNothing)
{
    struct Case {
        int32_t mode;
        bool sword, bow, coupled;
        int32_t editor;
        int32_t menu;   // ANIM_MenuRequest after
        int32_t action; // requested
    };
    ActorRecord stone{};
    const Case cases[] = {
        {Ground, false, false, false, 0, 1, 24}, {Ground, true, false, false, 0, 0, -1},
        {Ground, false, true, false, 0, 0, -1},  {Ground, false, false, true, 0, 0, -1},
        {Water, true, false, false, 0, 1, 24},   {Water, false, false, true, 0, 0, -1},
        {Air, false, false, true, 0, 0, -1},     {Ground, false, false, false, 1, 0, -1},
        {Water, false, false, false, 1, 0, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " sword " << c.sword << " bow " << c.bow
                                          << " coupled " << c.coupled << " editor " << c.editor);
        TearDown();
        SetUp();
        hero->physics_mode = c.mode;
        hero->second_gauge = 50.0f;
        if (c.sword) {
            Sword();
        }
        if (c.bow) {
            Bow();
        }
        hero->coupled = c.coupled ? &stone : nullptr;
        hero->coupling_time = 30;
        EDT_Active = c.editor;
        CTRL_Controls[CTRL_K2] = Pressed;
        if (c.mode == Air) {
            CTRL_Controls[CTRL_K3] = Held;
        }
        const int32_t action = Run(c.mode);
        EXPECT_EQ(ANIM_MenuRequest, c.menu);
        if (c.mode != Air) {
            EXPECT_EQ(action, c.action);
        } else {
            EXPECT_EQ(action, 8) << "the step goes on";
        }
        EXPECT_EQ(hero->coupling_time, c.coupled && c.editor == 0 ? -1 : 30);
        ANIM_MenuRequest = 0;
    }
    EDT_Active = 0;
}

TEST_F(Moves, SpellSlotsAreChosenOnThePressAndCastOnTheRelease)
{
    // The presses: which type codes they clear and the slot they post.
    struct Press {
        int32_t control;
        int32_t left[3]; // the type codes left of 1, 2, 3
        const char *posted;
    };
    const Press presses[] = {
        {CTRL_SWI, {0, 2, 0}, "D0"}, {CTRL_BT0, {1, 0, 0}, "D1"}, {CTRL_BT1, {0, 0, 3}, "D2"},
    };
    for (const Press &p : presses) {
        SCOPED_TRACE(p.posted);
        for (int32_t i = 0; i < 3; i++) {
            hero->spell_slots[i][1] = i + 1;
        }
        CTRL_Controls[p.control] = Pressed;
        CTRL_Controls[CTRL_UP] = Held;
        EXPECT_EQ(Run(Ground), 4) << "a press lets the step go on";
        CTRL_Controls[p.control] = Held;
        for (int32_t i = 0; i < 3; i++) {
            EXPECT_EQ(hero->spell_slots[i][1], p.left[i]) << i;
        }
        EXPECT_EQ(Posted(), p.posted);
    }
    // The releases: each casts from its own slot by the casting table.
    struct Release {
        int32_t control;
        int32_t slot;
        int32_t code;
        int32_t action;
    };
    const Release releases[] = {
        {CTRL_BT0, 0, 0x11, 32},     {CTRL_SWI, 1, 0x11, 28},      {CTRL_BT1, 2, 0x11, 28},
        {CTRL_BT0, 0, 0x100001, 28}, {CTRL_SWI, 1, 0x100001, 30},  {CTRL_BT1, 2, 0x100001, 30},
        {CTRL_SWI, 1, 0x100003, 33}, {CTRL_BT0, 0, 0x1000009, 31}, {CTRL_BT1, 2, 0x10004, 32},
        {CTRL_SWI, 1, 0x1234, -1},
    };
    for (const Release &r : releases) {
        SCOPED_TRACE(::testing::Message() << "control " << r.control << " code " << std::hex << r.code);
        for (int32_t &control : CTRL_Controls) {
            control = Up;
        }
        std::memset(hero->spell_slots, 0, sizeof hero->spell_slots);
        hero->spell_slots[r.slot][1] = r.code;
        hero->second_gauge = 120.0f;
        CTRL_Controls[r.control] = Let;
        CTRL_Controls[CTRL_UP] = Held;
        EXPECT_EQ(Run(Ground), r.action) << "the step ends either way";
        EXPECT_EQ(Posted(), "");
    }
    // A power that cannot be paid: 'E', and nothing plays.
    std::memset(hero->spell_slots, 0, sizeof hero->spell_slots);
    hero->spell_slots[0][1] = 0x11;
    hero->second_gauge = 0.0f;
    CTRL_Controls[CTRL_SWI] = Up;
    CTRL_Controls[CTRL_BT0] = Let;
    EXPECT_EQ(Run(Ground), -1);
    EXPECT_EQ(Posted(), "E0");
    // A table answer from the casting table itself: a control outside the three has none.
    EXPECT_EQ(FGT_CastAction(0x11, 3), -1);
}

TEST_F(Moves, TurnsComeTwiceWithDanger)
{
    for (int32_t danger : {0, 1}) {
        SCOPED_TRACE(danger);
        hero->heading_speed = 0;
        FGT_Danger = danger;
        CTRL_Controls[CTRL_LEFT] = Held;
        Run(Ground);
        const int32_t left = hero->heading_speed;
        EXPECT_NE(left, 0);
        hero->heading_speed = 0;
        CTRL_Controls[CTRL_LEFT] = Up;
        CTRL_Controls[CTRL_RIGHT] = Held;
        Run(Ground);
        EXPECT_EQ(hero->heading_speed, -left) << "right turns the other way";
        CTRL_Controls[CTRL_RIGHT] = Up;
        if (danger == 1) {
            FGT_Danger = 0;
            hero->heading_speed = 0;
            CTRL_Controls[CTRL_LEFT] = Held;
            Run(Ground);
            EXPECT_GT(std::abs(left), std::abs(hero->heading_speed)) << "twice is more than once";
            CTRL_Controls[CTRL_LEFT] = Up;
        }
    }
    FGT_Danger = 0;
}

TEST_F(Moves, PickUpByMode)
{
    struct Case {
        int32_t mode;
        const char *name;
        double share; // of animation 24 on the ground
        bool taken;
        float life;        // the hero's after
        float object_life; // the object's after
        bool sound;
    };
    const Case cases[] = {
        {Ground, "KEY01", 0.4, false, 50.0f, 50.0f, false},
        {Ground, "KEY01", 0.5, true, 50.0f, 0.0f, true},
        {Ground, "LIF01", 0.6, true, 100.0f, 0.0f, true},
        {Water, "KEY01", 0.0, true, 50.0f, 50.0f, false},
        {Water, "LIF01", 0.0, true, 100.0f, 50.0f, false},
        {Air, "LIF01", 0.0, true, 50.0f, 50.0f, false},
    };
    test::SetSoundDevice(true);
    ASSERT_EQ(SND_Init(8), 1);
    drives->Write('C', "data/sound/fsb.dat", kalder_test::FsbImage(kalder_test::DemoSounds(18)));
    FSB_Load("C:\\data\\sound\\fsb.dat");
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " " << c.name << " at " << c.share);
        SND_StopAll();
        for (int32_t &control : CTRL_Controls) {
            control = Up;
        }
        hero->physics_mode = c.mode;
        hero->life = 50.0f;
        hero->second_gauge = 50.0f;
        ActorRecord *o = Object(5, 100.0, c.name);
        if (c.mode == Ground) {
            InAnim(24, c.share);
        } else {
            CTRL_Controls[CTRL_K3] = Held;
        }
        Run(c.mode);
        EXPECT_EQ((o->flags[3] & ACTOR_F3_DISABLED) != 0, c.taken);
        EXPECT_EQ(hero->life, c.life);
        EXPECT_EQ(o->life, c.object_life);
        bool heard = false;
        for (int32_t i = 0; i < SND_ChannelCount; i++) {
            const SND_Channel &channel = SND_Channels[i];
            heard = heard || (channel.handle != 0 && (channel.handle & 0xFFFF) == 17 &&
                              test::InspectSound(channel.buffer).playing);
        }
        EXPECT_EQ(heard, c.sound);
        if (c.taken) {
            const Addr record = Get_Hierarchy_Record(o->node);
            EXPECT_NE(W_Get32(record + Addr(offsetof(OBJ_Record, flags))) & OBJ_FLAG_SKIP_TREE, 0) << "hidden";
        }
    }
    SND_Shutdown();
}

TEST_F(Moves, AFreshSelNearAnObjectStartsThePickUp)
{
    ActorRecord *o = Object(5, 100.0, "KEY01");
    ANIM_MenuRequest = 1;
    CTRL_Controls[CTRL_SEL] = Pressed;
    EXPECT_EQ(Run(Ground), 24);
    EXPECT_EQ(ANIM_MenuRequest, 0);
    EXPECT_EQ(o->flags[3] & ACTOR_F3_DISABLED, 0);
    const std::vector<MGM_Event> events = Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, 0x42);
    EXPECT_STREQ(MENJ_PostedName(events[0].a), "KEY01");
}

// Each row: controls and record, the action asked for.
struct MoveCase {
    const char *what;
    int32_t up, down, k3, sel;
    bool fall;          // contact flag A
    uint8_t f5, f8, f3; // flag bytes 5, 8 and 3
    int32_t anim;       // the current animation
    double share;       // of its frames
    int32_t weapon;     // 0 none, 1 sword, 2 bow, 3 gun
    int32_t f92;
    int32_t action;
};

TEST_F(Moves, FreeMovesFirstMatchWins)
{
    const MoveCase cases[] = {
        {"F1 sweep", Up, Held, Held, Held, false, 0, 0, 0, 0, 0, 0, 0, 48},
        {"F1 needs the ground", Up, Held, Held, Held, true, 0, 0, 0, 0, 0, 0, 0, -1},
        {"F2 dodge", Up, Up, Up, Held, false, 0, 0, 0, 0, 0, 0, 1, 35},
        {"F3 low kick", Up, Held, Up, Held, false, 0, 0, 0, 0, 0, 0, 0, 46},
        {"F4 spell held", Up, Up, Up, Held, true, 0x20, 0x08, 0, 0, 0, 0, 0, 5},
        {"F5 running jump", Held, Up, Up, Pressed, false, 0, 0, 0, 4, 0, 0, 0, 11},
        {"F5 forward jump", Up, Up, Up, Pressed, false, 0, 0, 0, 4, 0, 0, 0, 9},
        {"F5 standing jump", Held, Up, Up, Pressed, false, 0, 0, 0, 0, 0, 0, 0, 9},
        {"F6 gun aimed", Up, Up, Held, Up, false, 0, 0, 0, 0, 0, 3, 0, 57},
        {"F6 gun fired", Held, Up, Held, Up, false, 0, 0, 0, 4, 0, 3, 0, 5},
        {"F7 falls through to F8", Held, Up, Held, Up, false, 0, 0, 0, 0, 0, 0, 0, 2},
        {"F8 sword", Up, Up, Held, Up, false, 0, 0, 0, 0, 0, 1, 0, 54},
        {"F8 bow", Up, Up, Held, Up, false, 0, 0, 0, 0, 0, 2, 0, 58},
        {"F8 falling, no measure", Up, Up, Held, Up, true, 0, 0, 0, 0, 0, 0, 0, -1},
        {"F9 walk", Held, Up, Up, Up, false, 0, 0, 0, 0, 0, 0, 0, 4},
        {"F9 sword walk", Held, Up, Up, Up, false, 0, 0, 0, 0, 0, 1, 0, 44},
        {"F9 bow walk", Held, Up, Up, Up, false, 0, 0, 0, 0, 0, 2, 0, 45},
        {"F9 falling", Held, Up, Up, Up, true, 0, 0, 0, 0, 0, 0, 0, -1},
        {"F10 crouch", Up, Held, Up, Up, false, 0, 0, 0, 0, 0, 0, 0, 26},
        {"F10 falling", Up, Held, Up, Up, true, 0, 0, 0, 0, 0, 0, 0, -1},
    };
    for (const MoveCase &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        CTRL_Controls[CTRL_UP] = c.up;
        CTRL_Controls[CTRL_DOWN] = c.down;
        CTRL_Controls[CTRL_K3] = c.k3;
        CTRL_Controls[CTRL_SEL] = c.sel;
        hero->coll_flags[0] = c.fall ? ACTOR_C0_CONTACT_A : 0;
        hero->flags[5] |= c.f5;
        hero->flags[8] |= c.f8;
        hero->flags[3] |= c.f3;
        hero->current_anim = c.anim;
        if (c.weapon == 1) {
            Sword();
        } else if (c.weapon == 2) {
            Bow();
        } else if (c.weapon == 3) {
            Gun();
        }
        if (std::string(c.what) == "F5 forward jump") {
            hero->flags[4] |= ACTOR_F4_GROUND_PHYSICS2;
            hero->current_anim = 0;
        }
        EXPECT_EQ(Run(Ground, 0, c.f92), c.action == 9 && (hero->flags[4] & ACTOR_F4_GROUND_PHYSICS2) ? 10 : c.action);
    }
}

TEST_F(Moves, TakeOffFromOpenGroundAndFromAJump)
{
    struct Case {
        int32_t from;
        bool fall;
        int32_t up;
        int32_t action;
        int32_t timer;
    };
    const Case cases[] = {
        {0, false, Held, 12, 45},  // open ground, up held: 8 then 12
        {10, false, Held, 8, 45},  // from the forward jump: no 12
        {0, true, Up, 8, 0},       // falling without up: the take-off alone
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "from " << c.from << " falling " << c.fall);
        TearDown();
        SetUp();
        hero->flags[3] |= ACTOR_F3_TAKE_OFF;
        hero->flags[7] |= 0x10;
        hero->current_anim = c.from;
        hero->coll_flags[0] = c.fall ? ACTOR_C0_CONTACT_A : 0;
        CTRL_Controls[CTRL_UP] = c.up;
        CTRL_Controls[CTRL_K3] = Held;
        EXPECT_EQ(Run(Ground), c.action);
        EXPECT_EQ(hero->physics_mode, 3);
        EXPECT_NE(hero->coll_flags[0] & ACTOR_C0_FALL_MODE3, 0);
        EXPECT_EQ(FGT_TakeOffTimer, c.timer);
        EXPECT_EQ((hero->flags[7] & 0x10) != 0, c.from == 10);
    }
}

TEST_F(Moves, JumpsReleaseTheirLockLateAndKeepTheMotionUpright)
{
    struct Case {
        int32_t anim;
        double share;
        uint32_t measure;
        int32_t up;
        bool released;
        uint8_t f7;
    };
    const Case cases[] = {
        {9, 0.8, 5, Up, true, 0x40}, {10, 0.79, 5, Up, false, 0x40}, {11, 0.9, 4, Held, false, 0x80},
        {11, 0.9, 5, Held, true, 0x80},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.anim << " at " << c.share << " measure " << c.measure);
        InAnim(c.anim, c.share);
        hero->flags[2] |= ACTOR_F2_ACTION_HELD;
        hero->flags[7] = 0;
        hero->contact_measure = c.measure;
        CTRL_Controls[CTRL_UP] = c.up;
        Run(Ground);
        EXPECT_EQ((hero->flags[2] & ACTOR_F2_ACTION_HELD) == 0, c.released);
        EXPECT_EQ(hero->flags[7] & 0xC0, c.f7);
    }
}

TEST_F(Moves, GunFireDrainsEveryFrameAndShootsOnTheBeat)
{
    Gun();
    hero->current_anim = 4;
    hero->second_gauge = 10.0f;
    CTRL_Controls[CTRL_UP] = Held;
    CTRL_Controls[CTRL_K3] = Held;
    // Each shot takes a projectile record with the hero as its leader; the record is freed again.
    for (ActorRecord &p : ACTOR_Projectiles) {
        ACTOR_InitRecord(&p);
    }
    int32_t shots = 0;
    for (int32_t frame = 0; frame < 30; frame++) {
        GAME_SampleTaken = frame % 6 == 5 ? 1 : 0;
        hero->current_anim = 4;
        EXPECT_EQ(Run(Ground), 5);
        for (ActorRecord &p : ACTOR_Projectiles) {
            if (p.leader == hero) {
                shots++;
                ACTOR_InitRecord(&p);
            }
        }
    }
    EXPECT_EQ(shots, 5);
    // Without a beat nothing is fired (nothing paid), and the run drains 0.05 a frame.
    GAME_SampleTaken = 0;
    hero->second_gauge = 10.0f;
    for (int32_t frame = 0; frame < 30; frame++) {
        hero->current_anim = 4;
        EXPECT_EQ(Run(Ground), 5);
    }
    EXPECT_NEAR(hero->second_gauge, 10.0f - 30 * 0.05f, 1e-4);
    // Empty, it aims only.
    hero->second_gauge = 0.0f;
    EXPECT_EQ(Run(Ground), 57);
    GAME_SampleTaken = 0;
}

TEST_F(Moves, StanceMovesFirstMatchWins)
{
    struct Case {
        const char *what;
        int32_t up, down, k3, sel;
        int32_t anim;
        double share;
        int32_t weapon;
        int32_t in_reach, f92;
        int32_t action;
    };
    const Case cases[] = {
        {"S1 dodge", Up, Up, Held, Up, 0, 0, 0, 0, 1, 35},
        {"S1 not when in reach", Up, Up, Held, Up, 0, 0, 0, 1, 1, 16},
        {"S3 gun aimed", Up, Up, Held, Up, 0, 0, 3, 0, 0, 57},
        {"S4 sword", Up, Up, Held, Up, 0, 0, 1, 0, 0, 55},
        {"S4 combo 55 to 54", Up, Up, Pressed, Up, 55, 0.85, 1, 0, 0, 54},
        {"S4 combo early goes on", Up, Up, Pressed, Up, 55, 0.5, 1, 0, 0, 16},
        {"S5 bow", Up, Up, Held, Up, 0, 0, 2, 0, 0, 58},
        {"S6 blow", Up, Up, Held, Up, 0, 0, 0, 0, 0, 16},
        {"S6 combo 16 to 18", Up, Up, Pressed, Up, 16, 0.85, 0, 0, 0, 18},
        {"S6 combo 17 to 19", Up, Up, Pressed, Up, 17, 0.9, 0, 0, 0, 19},
        {"S6 combo 18 to 20", Up, Up, Pressed, Up, 18, 0.85, 0, 0, 0, 20},
        {"S6 19 goes on", Up, Up, Pressed, Up, 19, 0.9, 0, 0, 0, -1},
        {"S6 early goes on to S9", Held, Up, Pressed, Held, 16, 0.5, 0, 0, 0, 23},
        {"S7 dodge", Up, Up, Up, Held, 0, 0, 0, 0, 1, 35},
        {"S9 kick forward", Held, Up, Up, Held, 0, 0, 0, 0, 0, 23},
        {"S10 low kick", Up, Held, Up, Held, 0, 0, 0, 0, 0, 46},
        {"S11 kick", Up, Up, Up, Held, 0, 0, 0, 0, 0, 22},
        {"S11 combo 22 to 21", Up, Up, Up, Pressed, 22, 0.85, 0, 0, 0, 21},
        {"S11 combo 21 to 17", Up, Up, Up, Pressed, 21, 0.85, 0, 0, 0, 17},
        {"S11 early goes on, to nothing", Up, Up, Up, Pressed, 22, 0.5, 0, 0, 0, -1},
        {"S12 crouch", Up, Held, Up, Up, 0, 0, 0, 0, 0, 43},
        {"S13 walk", Held, Up, Up, Up, 0, 0, 0, 0, 0, 4},
        {"S13 sword walk", Held, Up, Up, Up, 0, 0, 1, 0, 0, 44},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        hero->flags[4] |= FGT_F4_GROUND_STANCE;
        CTRL_Controls[CTRL_UP] = c.up;
        CTRL_Controls[CTRL_DOWN] = c.down;
        CTRL_Controls[CTRL_K3] = c.k3;
        CTRL_Controls[CTRL_SEL] = c.sel;
        InAnim(c.anim, c.share);
        if (c.share >= 0.85) {
            hero->flags[2] |= ACTOR_F2_ACTION_HELD;
        }
        if (c.weapon == 1) {
            Sword();
        } else if (c.weapon == 2) {
            Bow();
        } else if (c.weapon == 3) {
            Gun();
        }
        EXPECT_EQ(Run(Ground, c.in_reach, c.f92), c.action);
    }
}

TEST_F(Moves, StanceTakeOffWhileFalling)
{
    hero->flags[4] |= FGT_F4_GROUND_STANCE;
    hero->flags[3] |= ACTOR_F3_TAKE_OFF;
    hero->coll_flags[0] = ACTOR_C0_CONTACT_A;
    CTRL_Controls[CTRL_K3] = Held;
    EXPECT_EQ(Run(Ground), 8);
    EXPECT_EQ(hero->physics_mode, 3);
}

// ---- Water -----------------------------------------------------------------------------------------

TEST_F(Moves, SwimmingTurnsPitchesAndStrokes)
{
    struct Case {
        const char *what;
        int32_t left, right, up, down, k3;
        uint8_t f4;
        int32_t value_c;
        bool heading, pitch_up, pitch_down;
        int32_t action;
    };
    const Case cases[] = {
        {"left and up", Held, Up, Held, Up, Up, 0, 0, true, true, false, -1},
        {"right and down", Up, Held, Up, Held, Up, 0, 0, true, false, true, -1},
        {"stroke", Up, Up, Up, Up, Held, 0, 0, false, false, false, 6},
        {"fast stroke", Up, Up, Up, Up, Held, ACTOR_F4_GROUND_PHYSICS2, 0, false, false, false, 7},
        {"fight value C", Up, Up, Up, Up, Held, 0, 40, false, false, false, 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        hero->physics_mode = Water;
        project.fight_value_c = c.value_c;
        hero->flags[4] |= c.f4;
        hero->motion_scale = 1.0f;
        CTRL_Controls[CTRL_LEFT] = c.left;
        CTRL_Controls[CTRL_RIGHT] = c.right;
        CTRL_Controls[CTRL_UP] = c.up;
        CTRL_Controls[CTRL_DOWN] = c.down;
        CTRL_Controls[CTRL_K3] = c.k3;
        EXPECT_EQ(Run(Water), c.action);
        EXPECT_EQ(hero->heading_speed != 0, c.heading);
        EXPECT_EQ(hero->pitch_speed > 0, c.pitch_up);
        EXPECT_EQ(hero->pitch_speed < 0, c.pitch_down);
        EXPECT_EQ(hero->motion_scale, c.value_c != 0 ? float(c.value_c) : 1.0f);
        EXPECT_EQ((hero->flags[2] & ACTOR_F2_MOTION_SCALE) != 0, c.value_c != 0);
    }
}

TEST_F(Moves, ASwimmerBumpingHardLosesAir)
{
    hero->physics_mode = Water;
    hero->contact_measure = 65;
    Run(Water);
    EXPECT_EQ(hero->contact_measure, 0u);
    EXPECT_EQ(hero->air, 48.0f);
    hero->contact_measure = 64;
    Run(Water);
    EXPECT_EQ(hero->contact_measure, 64u);
    EXPECT_EQ(hero->air, 48.0f);
}

// ---- Air -------------------------------------------------------------------------------------------

TEST_F(Moves, AirborneRules)
{
    struct Case {
        const char *what;
        int32_t k3, down, sel, up;
        uint8_t f4, f7;
        int32_t action;
        bool double_stride;
    };
    const Case cases[] = {
        {"k3 held: stroke 8", Held, Up, Up, Up, 0, 0, 8, false},
        {"dive", Held, Held, Held, Up, 0, 0, 13, false},
        {"fast", Held, Up, Up, Up, ACTOR_F4_GROUND_PHYSICS2, 0, 6, true},
        {"after a jump", Held, Up, Up, Up, 0, 0x10, 7, true},
        {"k3 released: the landing", Up, Up, Up, Up, 0, 0, 14, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        hero->physics_mode = Air;
        hero->flags[4] |= c.f4;
        hero->flags[7] |= c.f7;
        CTRL_Controls[CTRL_K3] = c.k3;
        CTRL_Controls[CTRL_DOWN] = c.down;
        CTRL_Controls[CTRL_SEL] = c.sel;
        CTRL_Controls[CTRL_UP] = c.up;
        EXPECT_EQ(Run(Air), c.action);
        EXPECT_EQ((hero->flags[2] & ACTOR_F2_DOUBLE_STRIDE) != 0, c.double_stride);
    }
}

TEST_F(Moves, AirborneLandingSpeedParticlesAndGauge)
{
    hero->physics_mode = Air;
    hero->phy_velocity[1] = 12.5;
    hero->flags[8] |= 0x40;
    CTRL_Controls[CTRL_K3] = Held;
    Run(Air);
    EXPECT_EQ(FGT_LandingSpeed, 12.5f);
    EXPECT_EQ(fx_recorder::Seen().hit_particles, 1) << "the levels have no wind";
    EXPECT_NEAR(hero->second_gauge, 50.0f - 0.04f, 1e-5);
    hero->flags[5] |= ACTOR_F5_STRONG_TURN;
    GAME_TimeFactor = 2.0;
    Run(Air);
    EXPECT_NEAR(hero->second_gauge, 50.0f - 0.04f - 0.08f - 2.0f, 1e-4);
    hero->second_gauge = 0.5f;
    EXPECT_EQ(Run(Air), 14) << "out of power, it falls";
    EXPECT_EQ(hero->second_gauge, 0.0f);
}

TEST_F(Moves, AirLandingAtEightTenthsForTheHeroAtOnceForAnother)
{
    struct Case {
        bool other;
        double share;
        bool lands;
    };
    const Case cases[] = {{false, 0.79, false}, {false, 0.8, true}, {true, 0.0, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "other " << c.other << " at " << c.share);
        TearDown();
        SetUp();
        ActorRecord *actor = hero;
        if (c.other) {
            actor = &ACTOR_Slots[5];
            *actor = *hero;
            hero = actor;
        }
        hero->physics_mode = Air;
        InAnim(14, c.share);
        hero->flags[2] |= ACTOR_F2_ACTION_HELD;
        GAME_TimeFactor = 0.5;
        CTRL_Controls[CTRL_K3] = Held;
        const int32_t action = Run(Air);
        EXPECT_EQ(action == 25, c.lands);
        EXPECT_EQ(hero->physics_mode, c.lands ? 1 : 3);
        if (c.lands) {
            EXPECT_NE(hero->coll_flags[0] & ACTOR_C0_CONTACT_A, 0);
            EXPECT_EQ(hero->phy_velocity[1], 40.0);
        } else {
            EXPECT_EQ(hero->motion_scale, 32.0f);
        }
        hero = &ACTOR_Slots[ACTOR_HERO];
    }
}

TEST_F(Moves, NoPitchUpFor45FramesAfterATakeOff)
{
    struct Case {
        double factor;
        int32_t blocked; // frames in the air without action 36
    };
    for (const Case c : {Case{1.0, 44}, Case{0.5, 44}, Case{2.0, 22}}) {
        SCOPED_TRACE(c.factor);
        FGT_TakeOffTimer = 45;
        GAME_TimeFactor = c.factor;
        hero->physics_mode = Air;
        CTRL_Controls[CTRL_UP] = Held;
        CTRL_Controls[CTRL_K3] = Held;
        int32_t blocked = 0;
        for (int32_t frame = 0; frame < 60; frame++) {
            hero->second_gauge = 50.0f;
            hero->pitch_speed = 0;
            Run(Air);
            if (hero->pitch_speed > 0) {
                break;
            }
            blocked++;
        }
        EXPECT_EQ(blocked, c.blocked);
        EXPECT_EQ(FGT_TakeOffTimer, 0);
    }
}

} // namespace
