// The game tick and the level life cycle: the exits and what they ask for, the hero's death, the fade
// and the switch it ends in, the held game, the coupled actor, the end of the game, and the start
// and end of the 3D engine.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/dsk.h"
#include "core/fconv.h"
#include "engine3d/maths.h"
#include "engine3d/matcache.h"
#include "engine3d/object.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "world/anim.h"
#include "world/dsn.h"
#include "world/inv.h"
#include "world/trg.h"
#include "tests/world/tick_fixture.h"

namespace {

using tick_test::Name;
using tick_test::TickBench;

// An exit of the current project, set field by field.
ExitRecord &SetExit(int i, const char *target, uint32_t flags, std::vector<int32_t> min, std::vector<int32_t> max)
{
    ExitRecord &exit = PRJ_CurrentRecord.exits[i];
    exit = ExitRecord{};
    std::strncpy(exit.target, target, sizeof exit.target);
    exit.flags = flags;
    for (int k = 0; k < 3; k++) {
        exit.box_min[k] = min[size_t(k)];
        exit.box_max[k] = max[size_t(k)];
    }
    return exit;
}

const std::vector<int32_t> kMin = {-100, -100, -100};
const std::vector<int32_t> kMax = {100, 100, 100};
const std::vector<int32_t> kNone = {0, 0, 0};

struct ExitCase {
    const char *name;
    std::function<ActorRecord *()> setup; // lays out the exits and the actors; returns the actor tested
    float fade;                           // expected after the test
    const char *next;                     // expected PRJ_Next, or "(none)"
    int names_posted;                     // 'B' events in MENJ_Queue
    int sounds;                           // level-change sounds started
};

using ExitsTest = TickBench;

TEST_F(ExitsTest, EachExitFiresOnlyWhereAndWhenItsRecordSays)
{
    using B = TickBench;
    const uint32_t on = EXIT_ON;
    auto hero_at = [](double x, double y, double z) {
        B::PlaceRelative(B::Hero(), x, y, z);
        return B::Hero();
    };
    // The hero's inventory holds one item.
    auto carry = [](const char *item) {
        INV_Reset();
        INV_Init(B::Hero());
        std::strcpy(INV_Data.names[0], item);
    };
    const std::vector<ExitCase> cases = {
        {"an exit that is off", [&] { SetExit(0, "Project1", 0, kMin, kMax); return hero_at(10, 10, 10); },
         0.0f, "(none)", 0, 0},
        {"the hero strictly inside the box",
         [&] { SetExit(0, "Project1", on, kMin, kMax); return hero_at(99.9, -99.5, 0); }, 15.0f, "Project1", 1, 1},
        {"the hero on a face of the box",
         [&] { SetExit(0, "Project1", on, kMin, kMax); return hero_at(100, 0, 0); }, 0.0f, "(none)", 0, 0},
        {"truncated toward zero onto a face",
         [&] { SetExit(0, "Project1", on, kMin, kMax); return hero_at(0, -100.9, 0); }, 0.0f, "(none)", 0, 0},
        {"the hero outside the box",
         [&] { SetExit(0, "Project1", on, kMin, kMax); return hero_at(0, 0, 300); }, 0.0f, "(none)", 0, 0},
        {"an outside box with the hero outside",
         [&] { SetExit(0, "Project1", on | EXIT_OUTSIDE_BOX, kMin, kMax); return hero_at(0, 0, 101); }, 15.0f,
         "Project1", 1, 1},
        {"an outside box with the hero exactly on a face",
         [&] { SetExit(0, "Project1", on | EXIT_OUTSIDE_BOX, kMin, kMax); return hero_at(-100, 100, 0); }, 0.0f,
         "(none)", 0, 0},
        {"an outside box with the hero inside",
         [&] { SetExit(0, "Project1", on | EXIT_OUTSIDE_BOX, kMin, kMax); return hero_at(0, 0, 0); }, 0.0f,
         "(none)", 0, 0},
        {"another actor, the exit for the hero only",
         [&] {
             SetExit(0, "Project1", on, kMin, kMax);
             ActorRecord *crate = B::Character(3, "BOX");
             B::PlaceRelative(crate, 0, 0, 0);
             return crate;
         },
         0.0f, "(none)", 0, 0},
        {"another actor, the exit for any object",
         [&] {
             SetExit(0, "Project1", on | EXIT_ANY_OBJECT, kMin, kMax);
             ActorRecord *crate = B::Character(3, "BOX");
             B::PlaceRelative(crate, 0, 0, 0);
             return crate;
         },
         15.0f, "Project1", 1, 1},
        {"a box-less exit fires wherever the hero is",
         [&] { SetExit(0, "Project1", on, kNone, kNone); return hero_at(5000, 0, 0); }, 15.0f, "Project1", 0, 0},
        {"of two exits that could fire only the lower acts",
         [&] {
             SetExit(2, "Project5", on, kMin, kMax);
             SetExit(5, "Project1", on, kMin, kMax);
             return hero_at(0, 0, 0);
         },
         15.0f, "Project5", 1, 1},
        {"exits waiting for the triggers stay locked",
         [&] { SetExit(0, "Project1", on | EXIT_TRIGGER_TEST, kMin, kMax); return hero_at(0, 0, 0); }, 0.0f,
         "(none)", 1, 0},
        {"an enemy of the other camp still standing",
         [&] {
             SetExit(0, "Project1", on | EXIT_IN_ZONE, kMin, kMax);
             ActorRecord *enemy = B::Character(4, "ENEMY");
             enemy->flags[1] = ACTOR_F1_AI | ACTOR_F1_TEAM;
             return hero_at(0, 0, 0);
         },
         0.0f, "(none)", 1, 0},
        {"every enemy of the other camp down",
         [&] {
             SetExit(0, "Project1", on | EXIT_IN_ZONE, kMin, kMax);
             ActorRecord *enemy = B::Character(4, "ENEMY");
             enemy->flags[1] = ACTOR_F1_AI | ACTOR_F1_TEAM;
             enemy->life = 0.0f;
             ActorRecord *friend_ = B::Character(5, "FRIEND");
             friend_->flags[1] = ACTOR_F1_AI;
             ActorRecord *asleep = B::Character(6, "ASLEEP");
             asleep->flags[1] = ACTOR_F1_AI | ACTOR_F1_TEAM;
             asleep->flags[3] = ACTOR_F3_DISABLED;
             return hero_at(0, 0, 0);
         },
         15.0f, "Project1", 1, 1},
        {"a box-less exit waiting for the last enemy",
         [&] {
             SetExit(0, "Project1", on | EXIT_IN_ZONE, kNone, kNone);
             B::Character(4, "ENEMY")->flags[1] = ACTOR_F1_AI | ACTOR_F1_TEAM;
             return hero_at(0, 0, 0);
         },
         0.0f, "(none)", 0, 0},
        {"the select control never pressed",
         [&] { SetExit(0, "Project1", on | EXIT_GAME_FLAG_TEST, kMin, kMax); return hero_at(0, 0, 0); }, 0.0f,
         "(none)", 1, 0},
        {"the select control held but not pressed this frame",
         [&] {
             SetExit(0, "Project1", on | EXIT_GAME_FLAG_TEST, kMin, kMax);
             CTRL_Controls[CTRL_SEL] = CTRL_HELD;
             return hero_at(0, 0, 0);
         },
         0.0f, "(none)", 1, 0},
        {"the select control pressed this frame",
         [&] {
             SetExit(0, "Project1", on | EXIT_GAME_FLAG_TEST, kMin, kMax);
             CTRL_Controls[CTRL_SEL] = CTRL_HELD | CTRL_CHANGED;
             return hero_at(0, 0, 0);
         },
         15.0f, "Project1", 1, 1},
        {"a condition object, and no inventory to look in",
         [&] {
             ExitRecord &exit = SetExit(0, "Project1", on, kMin, kMax);
             std::strcpy(exit.condition_object, "KEY");
             return hero_at(0, 0, 0);
         },
         15.0f, "Project1", 1, 1},
        {"a condition object carried",
         [&] {
             ExitRecord &exit = SetExit(0, "Project1", on, kMin, kMax);
             std::strcpy(exit.condition_object, "KEY");
             carry("KEY");
             return hero_at(0, 0, 0);
         },
         15.0f, "Project1", 1, 1},
        {"a condition object not carried",
         [&] {
             ExitRecord &exit = SetExit(0, "Project1", on, kMin, kMax);
             std::strcpy(exit.condition_object, "KEY");
             carry("ARC");
             return hero_at(0, 0, 0);
         },
         0.0f, "(none)", 1, 0},
        {"a condition object carried, negated",
         [&] {
             ExitRecord &exit = SetExit(0, "Project1", on | EXIT_NEGATE_OBJECT, kMin, kMax);
             std::strcpy(exit.condition_object, "KEY");
             carry("KEY");
             return hero_at(0, 0, 0);
         },
         0.0f, "(none)", 1, 0},
        {"a linked object to be taken, and none linked",
         [&] { SetExit(0, "Project1", on | EXIT_OBJECT_TAKEN, kMin, kMax); return hero_at(0, 0, 0); }, 0.0f,
         "(none)", 1, 0},
        {"a linked object taken",
         [&] {
             SetExit(0, "Project1", on | EXIT_OBJECT_TAKEN, kMin, kMax);
             B::Hero()->coupled = B::Character(3, "STONE");
             B::Hero()->coupled->flags[4] = ACTOR_F4_TAKEN;
             return hero_at(0, 0, 0);
         },
         15.0f, "Project1", 1, 1},
        {"an unknown target leads back to the previous project",
         [&] {
             SetExit(0, "Nowhere", on, kMin, kMax);
             std::strcpy(PRJ_PreviousName, "ProjectLongName");
             return hero_at(0, 0, 0);
         },
         15.0f, "ProjectLongName", 1, 1},
        {"a target naming the current project",
         [&] { SetExit(0, "Project0", on, kMin, kMax); return hero_at(0, 0, 0); }, 0.0f, "(none)", 1, 0},
        {"a box-less exit naming the current project",
         [&] { SetExit(0, "Project0", on, kNone, kNone); return hero_at(0, 0, 0); }, 0.0f, "(none)", 0, 0},
        {"an unknown target and no previous project",
         [&] { SetExit(0, "Nowhere", on, kMin, kMax); return hero_at(0, 0, 0); }, 0.0f, "(none)", 1, 0},
        {"the editor active",
         [&] {
             SetExit(0, "Project1", on, kMin, kMax);
             EDT_Active = 1;
             return hero_at(0, 0, 0);
         },
         0.0f, "(none)", 0, 0},
        {"a fade already running",
         [&] {
             SetExit(0, "Project1", on, kMin, kMax);
             GAME_FadeTimer = 5.0f;
             return hero_at(0, 0, 0);
         },
         5.0f, "(none)", 0, 0},
    };
    for (const ExitCase &c : cases) {
        SCOPED_TRACE(c.name);
        MakeCurrent("Project0");
        ResetWorld();
        SND_StopAll();
        tick_test::MenjEvents();
        for (ExitRecord &exit : PRJ_CurrentRecord.exits) {
            exit = ExitRecord{};
        }
        ActorRecord *actor = c.setup();
        ACTOR_BuildActiveLists();

        PRJ_UpdateExits(actor);

        EXPECT_EQ(GAME_FadeTimer, c.fade);
        EXPECT_EQ(Name(PRJ_Next), c.next);
        EXPECT_EQ(GAME_HeroDied, 0);
        std::vector<MGM_Event> events = tick_test::MenjEvents();
        ASSERT_EQ(int(events.size()), c.names_posted);
        for (const MGM_Event &event : events) {
            EXPECT_EQ(event.type, 0x42);
            EXPECT_STREQ(MENJ_PostedName(event.a), actor->node_name);
            EXPECT_EQ(event.b, 0);
        }
        EXPECT_EQ(tick_test::SoundsPlaying(), std::vector<int32_t>(size_t(c.sounds), 13));
        EXPECT_EQ(PRJ_CurrentRecord.name, std::string("Project0"));
        EDT_Active = 0;
    }
}

// The fall-back name is written into the exit's 12-byte target field, cut to what fits.
TEST_F(ExitsTest, AFallBackWritesThePreviousProjectIntoTheExitsField)
{
    ExitRecord &exit = SetExit(3, "Nowhere", EXIT_ON, kNone, kNone);
    std::strcpy(PRJ_PreviousName, "ProjectLongName");
    PRJ_UpdateExits(Hero());
    EXPECT_EQ(Name(PRJ_Next), "ProjectLongName");
    EXPECT_EQ(std::string(exit.target, sizeof exit.target), std::string("ProjectLong\0", 12));
    EXPECT_EQ(PRJ_ReturnedToPrevious, 1);
}

struct DeathCase {
    int32_t anim;
    int32_t frames;
    float position;
    float life;
    bool complete;
    bool held_after; // the action-held flag, set before the test
};

using DeathTest = TickBench;

TEST_F(DeathTest, TheDeathCompletesNearTheEndOfTheDyingAnimation)
{
    const std::vector<DeathCase> cases = {
        {50, 64, 56.5f, 0.0f, true, true},   {50, 64, 56.0f, 0.0f, false, true}, {51, 64, 56.5f, 0.0f, true, true},
        {50, 7, 7.5f, 0.0f, true, true},     {50, 64, 63.0f, 0.5f, false, true}, {4, 64, 63.0f, 0.0f, false, false},
        {10, 64, 63.0f, 0.0f, false, false}, {45, 64, 63.0f, 0.0f, false, false}, {0, 64, 63.0f, 0.0f, false, true},
    };
    for (const DeathCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "animation " << c.anim << ", " << c.frames << " frames at " << c.position
                                        << ", life " << c.life);
        MakeCurrent("Project1");
        ResetWorld();
        ActorRecord *hero = Hero();
        hero->life = c.life;
        hero->current_anim = c.anim;
        hero->frame_count = c.frames;
        hero->frame_position = c.position;
        hero->flags[2] = ACTOR_F2_ACTION_HELD;

        PRJ_UpdateExits(hero);

        EXPECT_EQ(GAME_HeroDied, c.complete ? 1 : 0);
        EXPECT_EQ((hero->flags[2] & ACTOR_F2_ACTION_HELD) != 0, c.held_after);
        EXPECT_EQ(GAME_FadeTimer, c.complete ? 0.001f : 0.0f);
        EXPECT_EQ(Name(PRJ_Next), c.complete ? "Project0" : "(none)");
    }
}

TEST_F(DeathTest, ACompletedDeathRestoresTheHeroAndSwitchesToTheFirstProject)
{
    struct Gauge {
        float before, after;
    };
    for (Gauge g : {Gauge{12.0f, 40.0f}, Gauge{40.0f, 40.0f}, Gauge{75.0f, 75.0f}}) {
        SCOPED_TRACE(g.before);
        MakeCurrent("Project1");
        ResetWorld();
        ActorRecord *hero = Hero();
        hero->life = 0.0f;
        hero->second_gauge = g.before;
        hero->current_anim = 50;
        hero->frame_count = 64;
        hero->frame_position = 60.0f;
        GAME_FilmFrozen = 1;
        for (MENJ_HandSlot &hand : MENJ_Hands) {
            hand = {0, 1, 0};
        }
        // An exit that would fire: the death comes first and the exits are not tested.
        SetExit(0, "Project3", EXIT_ON, kNone, kNone);

        PRJ_UpdateExits(hero);

        EXPECT_EQ(GAME_HeroDied, 1);
        EXPECT_EQ(hero->life, 100.0f);
        EXPECT_EQ(hero->second_gauge, g.after);
        EXPECT_EQ(Name(PRJ_Next), "Project0");
        EXPECT_EQ(GAME_FadeTimer, 0.001f);
        EXPECT_EQ(GAME_OpeningFilmFlag, 1);
        EXPECT_EQ(GAME_FilmFrozen, 0);
        EXPECT_EQ(PRJ_SkipNextVisited, 1);
        for (const MENJ_HandSlot &hand : MENJ_Hands) {
            EXPECT_EQ(hand.set, -1) << "the hand slots are emptied";
            EXPECT_EQ(hand.sprite, -1);
        }
        EXPECT_TRUE(tick_test::SoundsPlaying().empty());

        // The tick of the death returns before the triggers and the frame.
        std::fill(frame.begin(), frame.end(), 0x1234);
        hero->life = 0.0f;
        GAME_HeroDied = 0;
        GAME_FadeTimer = 0.0f;
        PRJ_Next = nullptr;
        TRG_LastFired = 77; // the triggers' step clears it first thing
        GAME_Tick(0);
        EXPECT_EQ(GAME_HeroDied, 1);
        EXPECT_EQ(TRG_LastFired, 77u) << "the triggers did not run";
        EXPECT_EQ(frame[0], 0x1234);
        EXPECT_EQ(frame[frame.size() / 2], 0x1234);

        // The next tick ends the fade on Project0, whose load waits for the tick after.
        GAME_Tick(0);
        EXPECT_EQ(Name(&PRJ_CurrentRecord), "Project0");
        EXPECT_EQ(PRJ_Current, &PRJ_CurrentRecord);
        EXPECT_EQ(PRJ_PendingFlag, 1);
        EXPECT_EQ(GAME_FadeTimer, 0.0f);
        EXPECT_EQ(PRJ_SkipNextVisited, 0);
    }
}

TEST_F(DeathTest, WithoutProject0TheDeathReloadsTheCurrentProject)
{
    kalder_test::KalderDatWriter db = tick_test::SmallDatabase();
    db.records[0] = kalder_test::LevelRecordBuilder(kalder_test::BlankEditorRecord()).Name("Prologue").InUse().Bytes();
    UseDatabase(db);
    MakeCurrent("Project1");
    ActorRecord *hero = Hero();
    hero->life = 0.0f;
    hero->current_anim = 50;
    hero->frame_count = 8;
    hero->frame_position = 8.0f;

    PRJ_UpdateExits(hero);
    EXPECT_EQ(GAME_HeroDied, 1);
    EXPECT_EQ(PRJ_Next, nullptr);
    EXPECT_EQ(GAME_FadeTimer, 0.001f);

    GAME_Tick(0);
    EXPECT_EQ(Name(PRJ_Current), "Project1");
    EXPECT_EQ(PRJ_PendingFlag, 1);
}

struct FadeCase {
    const char *name;
    double factor;
    const char *project; // its fade kind: 0 Project1, 1 Project5
    uint32_t width, height;
    int32_t letterbox;
    int ticks;
};

using FadeTest = TickBench;

TEST_F(FadeTest, TheFadeRunsItsTicksMovesTheColoursAndEndsInTheSwitch)
{
    const std::vector<FadeCase> cases = {
        {"30 frames a second, to white", 1.0, "Project1", 640, 480, 0, 15},
        {"15 frames a second, to white", 2.0, "Project1", 640, 480, 0, 8},
        {"30 frames a second, to black", 1.0, "Project5", 640, 480, 0, 15},
        {"to white between the bars", 1.0, "Project1", 640, 480, 1, 15},
        {"to black between the bars", 1.05, "Project5", 640, 480, 1, 15},
        {"320 x 200 between the bars", 1.0, "Project1", 320, 200, 1, 15},
        {"320 x 200, whole screen", 2.0, "Project5", 320, 200, 0, 8},
    };
    for (const FadeCase &c : cases) {
        SCOPED_TRACE(c.name);
        MakeCurrent(c.project);
        ResetWorld();
        Screen(c.width, c.height);
        OPT_Cinemascope = c.letterbox;
        GAME_TimeFactor = c.factor;
        const int32_t kind = PRJ_Current->fade_kind;
        TEX_Shading.tint[0] = TEX_Shading.tint[1] = TEX_Shading.tint[2] = 1000;
        TEX_Shading.colour_c[0] = TEX_Shading.colour_c[1] = TEX_Shading.colour_c[2] = 2000;
        Hero()->flags[6] = ACTOR_F6_BOW_DRAWN;
        char next[32] = "Project3";
        PRJ_Next = PRJ_SwitchTo(next, sizeof next);
        GAME_FadeTimer = 15.0f;

        const int32_t d = trunc_i32(c.factor * 28.0) * (kind == 1 ? -1 : 1);
        int ticks = 0;
        while (ticks < 20) {
            std::fill(frame.begin(), frame.end(), 0x1234);
            GAME_Tick(0);
            ticks++;
            EXPECT_EQ(TEX_Shading.tint[2], 1000 + ticks * d);
            EXPECT_EQ(TEX_Shading.colour_c[0], 2000 - ticks * d);
            if (GAME_FadeTimer <= 0.0f) {
                break;
            }
            ASSERT_EQ(Name(PRJ_Current), c.project);
        }
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(GAME_FadeTimer, 0.0f);
        EXPECT_EQ(Name(PRJ_Current), "Project3");
        EXPECT_EQ(PRJ_Current, &PRJ_CurrentRecord);
        EXPECT_EQ(PRJ_PendingFlag, 1);
        EXPECT_EQ(WPN_BowWasDrawn, 1);
        EXPECT_EQ(WPN_SwordWasDrawn, 0);

        const uint16_t colour = kind == 1 ? 0x0000 : 0xFFFF;
        const uint32_t first = c.letterbox ? c.height / 8 : 0;
        const uint32_t end = c.letterbox ? first + 3 * c.height / 4 : c.height;
        for (uint32_t y = 0; y < c.height; y++) {
            const bool filled = y >= first && y < end;
            const uint16_t left = frame[size_t(y) * c.width];
            const uint16_t right = frame[size_t(y) * c.width + c.width - 1];
            ASSERT_EQ(left, filled ? colour : 0x1234) << "row " << y;
            ASSERT_EQ(right, filled ? colour : 0x1234) << "row " << y;
        }
    }
}

TEST_F(FadeTest, AFrozenFilmIsShownWhenTheFadeEnds)
{
    struct Case {
        int32_t frozen;
        int32_t hold_after;
    };
    for (Case c : {Case{1, 1}, Case{0, 0}}) {
        MakeCurrent("Project0");
        ResetWorld();
        GAME_FilmFrozen = c.frozen;
        GAME_FilmHold = 0;
        GAME_FadeTimer = 0.5f;
        GAME_Tick(0);
        EXPECT_EQ(GAME_FilmHold, c.hold_after);
        EXPECT_EQ(GAME_FilmFrozen, 0);
    }
}

// A fade that nothing gave a target meets PRJ_Next = the current record, so the level is reloaded.
TEST_F(FadeTest, AFadeWithoutTargetReloadsTheLevel)
{
    MakeCurrent("Project1");
    PRJ_Next = &PRJ_CurrentRecord;
    GAME_FadeTimer = 10.0f;
    for (int i = 0; i < 10; i++) {
        GAME_Tick(0);
    }
    EXPECT_EQ(Name(PRJ_Current), "Project1");
    EXPECT_EQ(PRJ_PendingFlag, 1);
}

using HeldTest = TickBench;

TEST_F(HeldTest, TheHeldGameShowsPauseEveryTick)
{
    GAME_Paused = 1;
    for (int i = 0; i < 3; i++) {
        SCR_MessageTimer = 0.0f;
        SCR_Message[0] = 0;
        GAME_Tick(0);
        EXPECT_STREQ(SCR_Message, "Pause");
        // Set to 10 frames, then counted down by the frame that drew it.
        EXPECT_EQ(SCR_MessageTimer, 9.0f);
    }
    GAME_Paused = 0;
    SCR_Message[0] = 0;
    GAME_Tick(0);
    EXPECT_STREQ(SCR_Message, "");
}

using EndTest = TickBench;

TEST_F(EndTest, TheEndSceneEndsTheGameOutsideTheEditor)
{
    for (int32_t editor : {0, 1}) {
        MakeCurrent("Project2");
        ResetWorld();
        EDT_Active = editor;
        GAME_EndRequest = 0;
        GAME_Tick(0);
        EXPECT_EQ(GAME_EndRequest, editor == 0 ? 1 : 0);
    }
    EDT_Active = 0;
    MakeCurrent("Project1");
    GAME_EndRequest = 0;
    GAME_Tick(0);
    EXPECT_EQ(GAME_EndRequest, 0);
}

using CoupledTest = TickBench;

TEST_F(CoupledTest, TheCoupledObjectIsSteeredUntilItsTimeRunsOut)
{
    ASSERT_EQ(GAME_Init3DEngine(), 1);
    ActorRecord *hero = Hero();
    alignas(8) static uint8_t inventory[952];
    hero->inventory = reinterpret_cast<INV_Record *>(inventory);
    hero->node = 0;
    hero->position[0] = 10.5;
    hero->position[1] = -20.5;
    hero->position[2] = 31.7;
    ActorRecord *stone = Character(3, "STONE");
    hero->coupled = stone;
    hero->coupling_time = 30;
    GAME_TimeFactor = 1.05;
    // The object is what the exits test: an exit for any object fires under it, the hero far away.
    SetExit(0, "Project1", EXIT_ON | EXIT_ANY_OBJECT, kMin, kMax);
    PlaceRelative(stone, 0, 0, 0);
    PlaceRelative(hero, 5000, 0, 0);

    GAME_Tick(0);
    EXPECT_EQ(hero->coupling_time, 28);
    EXPECT_EQ(stone->inventory, hero->inventory);
    EXPECT_EQ(Name(PRJ_Next), "Project1");
    // The exit's event, and the coupled object's ground moves finding nothing at its feet ('C').
    const std::vector<MGM_Event> events = tick_test::MenjEvents();
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const MGM_Event &e) { return e.type != 0x43; }), 1);
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const MGM_Event &e) { return e.type == 0x43; }), 1);

    GAME_FadeTimer = 0.0f;
    PRJ_Next = nullptr;
    hero->position[0] = 10.5;
    hero->position[1] = -20.5;
    hero->position[2] = 31.7;
    hero->coupling_time = 1;
    GAME_Tick(0);
    EXPECT_EQ(hero->coupling_time, 0);
    EXPECT_EQ(hero->coupled, nullptr);
    int32_t place[3];
    ASSERT_EQ(Get_Obj_Pos(0, place), 0);
    EXPECT_EQ(place[0], 10);
    EXPECT_EQ(place[1], -20);
    EXPECT_EQ(place[2], 32);
    // The hero is tested again, and it stands far from the exit.
    EXPECT_EQ(Name(PRJ_Next), "(none)");
    GAME_Exit3DEngine();
}

// The demo level, loaded by the tick itself.
using DemoTickTest = tick_test::LevelBench;

// Ticks while a fade runs; each tick the scene stream decodes its next parts and the sky turns.
TEST_F(DemoTickTest, AnExitFadesWhileTheWorldGoesOnAndTheNextTickLoadsTheTarget)
{
    // A film on the way would take the streaming buffer from the scene stream: this way has none.
    kalder_test::DemoOptions options;
    options.way_film = false;
    drives->Write('D', "kalder.dat", kalder_test::DemoDatabase(options).Image());
    PRJ_LoadDatabase();
    TickUntilLoaded();
    ASSERT_EQ(Name(PRJ_Current), "Project0");
    // The sky is the first box, turning 10 units a frame.
    MDL_SkyNode = ACTOR_Slots[3].node;
    MDL_SkyAngle = 0.0f;
    PRJ_CurrentRecord.sky_speed = 100;
    Hero()->position[0] = 1400.0;
    Hero()->position[1] = 140.0;
    Hero()->position[2] = 0.0;
    GAME_TimeFactor = 1.05;

    GAME_Tick(0);
    ASSERT_EQ(GAME_FadeTimer, 15.0f);
    EXPECT_EQ(Name(PRJ_Next), "Project1");
    int32_t frame = DSN_Stream.frame;
    float sky = MDL_SkyAngle;
    int ticks = 0;
    while (GAME_FadeTimer > 0.0f && ticks < 20) {
        GAME_Tick(0);
        ticks++;
        if (GAME_FadeTimer > 0.0f) {
            EXPECT_EQ(DSN_Stream.frame, frame + 1);
            EXPECT_FLOAT_EQ(MDL_SkyAngle, sky + 10.5f);
            frame = DSN_Stream.frame;
            sky = MDL_SkyAngle;
        }
    }
    EXPECT_EQ(ticks, 15);
    EXPECT_EQ(Name(PRJ_Current), "Project1");
    EXPECT_EQ(PRJ_PendingFlag, 1);

    GAME_Tick(0);
    EXPECT_EQ(PRJ_PendingFlag, 0);
    EXPECT_EQ(Hero()->position[0], -600.0);
    EXPECT_EQ(Hero()->position[1], 140.0);
    EXPECT_EQ(Hero()->position[2], 0.0);
}

// The game's order: the hero settles on the floor and stands there; asked to walk each frame, it
// walks along the floor at its stride, its height unchanged.
TEST_F(DemoTickTest, TheHeroStandsOnTheFloorAndWalksAlongIt)
{
    TickUntilLoaded();
    ActorRecord *hero = Hero();
    for (int i = 0; i < 40; i++) {
        GAME_Tick(0);
    }
    const double standing[3] = {hero->position[0], hero->position[1], hero->position[2]};
    EXPECT_EQ(hero->coll_flags[0] & ACTOR_C0_CONTACT_A, 0);
    EXPECT_EQ(hero->ground_height - int32_t(standing[1]), 165);
    for (int i = 0; i < 10; i++) {
        GAME_Tick(0);
        ASSERT_EQ(std::vector<double>(hero->position, hero->position + 3),
                  std::vector<double>(standing, standing + 3));
    }
    int walked = 0;
    for (int i = 0; i < 40; i++) {
        ANIM_DoAction(hero, 4);
        const double x = hero->position[0], z = hero->position[2];
        GAME_Tick(0);
        EXPECT_EQ(hero->position[1], standing[1]) << i;
        const double step = std::hypot(hero->position[0] - x, hero->position[2] - z);
        if (hero->current_anim == 4 && i > 10) {
            EXPECT_NEAR(step, 8.0, 1.0) << i;
            walked++;
        }
    }
    EXPECT_GT(walked, 20);
}

// Where a character's figure meets the ground: the lowest of its root node's vertices (the part that
// carries its feet) through the node's matrix and at its position.
int32_t Feet_Y(const ActorRecord &a)
{
    int32_t m[9], p[3];
    EXPECT_EQ(Get_Obj_Matrix(a.node, m), 0);
    EXPECT_EQ(Get_Obj_Pos(a.node, p), 0);
    int32_t lowest = INT32_MIN;
    for (int32_t i = 0; i < Get_Vertex_Count(a.node); i++) {
        int32_t v[3], w[3];
        Get_Vertex(a.node, i, v);
        Mat_Vec_Mul(m, v, w);
        lowest = std::max(lowest, p[1] + w[1]);
    }
    return lowest;
}

// Every character on the floor stands on its feet: the game puts its foot (its marker node, or 160
// below its node without one) 5 above the ground, and its figure reaches down to there. The sage and
// the creature share a model: a figure that ended above its foot marker would hang in the air over
// its shadow.
TEST_F(DemoTickTest, EveryCharacterOnTheFloorReachesItWithItsFeet)
{
    kalder_test::DemoOptions options;
    options.sage = true;
    drives->Write('D', "kalder.dat", kalder_test::DemoDatabase(options).Image());
    PRJ_LoadDatabase();
    TickUntilLoaded();
    ASSERT_EQ(Name(PRJ_Current), "Project0");
    // The spawner brings the creature onto the floor on the first ticks.
    for (int i = 0; i < 40; i++) {
        GAME_Tick(0);
    }
    std::vector<std::string> seen;
    for (const ActorRecord &a : ACTOR_Slots) {
        const bool character = (a.flags[0] & ACTOR_F0_IN_USE) && (a.flags[1] & ACTOR_F1_AI) && a.node != 0;
        if (!character) {
            continue;
        }
        const std::string who = a.definition != nullptr ? std::string(a.definition->name, 4) : "hero";
        SCOPED_TRACE(who);
        seen.push_back(who);
        EXPECT_EQ(a.coll_flags[0] & ACTOR_C0_CONTACT_A, 0) << "falling";
        EXPECT_EQ(a.ground_height, kalder_test::demo::kFloorY);
        EXPECT_NEAR(Feet_Y(a), a.ground_height - 5, 2);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"hero", "CREA", "SAGE"}));
}

// The camera places itself from where the world left the subject on the tick before: it runs before
// the animation moves the hero.
TEST_F(DemoTickTest, TheCameraFilmsTheHeroBeforeTheTicksAnimationMovesIt)
{
    TickUntilLoaded();
    ActorRecord *hero = Hero();
    for (int i = 0; i < 20; i++) {
        ANIM_DoAction(hero, 4);
        GAME_Tick(0);
    }
    // The overhead view stands at a fixed offset from its subject's node, without smoothing.
    CAM_Mode = CAM_OVERHEAD;
    CAM_Overhead.subject = hero;
    for (int i = 0; i < 5; i++) {
        int32_t before[3], after[3], camera[3];
        Get_Obj_Pos(hero->node, before);
        ANIM_DoAction(hero, 4);
        GAME_Tick(0);
        Get_Obj_Pos(hero->node, after);
        Get_Obj_Pos(0, camera);
        ASSERT_NE(std::vector<int32_t>(before, before + 3), std::vector<int32_t>(after, after + 3)) << "walking";
        EXPECT_EQ(camera[0], before[0] + 10) << i;
        EXPECT_EQ(camera[1], before[1] - 1500) << i;
        EXPECT_EQ(camera[2], before[2] + 10) << i;
    }
}

TEST_F(DemoTickTest, TheHeldWorldStandsButTheSceneStreamGoesOn)
{
    TickUntilLoaded();
    MDL_SkyNode = ACTOR_Slots[3].node;
    MDL_SkyAngle = 100.0f;
    PRJ_CurrentRecord.sky_speed = 100;
    GAME_Paused = 1;
    const int32_t frame = DSN_Stream.frame;
    for (int i = 1; i <= 3; i++) {
        GAME_Tick(0);
        EXPECT_EQ(MDL_SkyAngle, 100.0f);
        EXPECT_EQ(DSN_Stream.frame, frame + i);
        EXPECT_STREQ(SCR_Message, "Pause");
    }
    GAME_Paused = 0;
    GAME_Tick(0);
    EXPECT_EQ(MDL_SkyAngle, 110.0f);
}

TEST_F(DemoTickTest, TheEndSceneEndsTheGameOnTheTickAfterItsLoad)
{
    for (int32_t editor : {0, 1}) {
        SCOPED_TRACE(editor);
        char name[32] = "Project2";
        PRJ_MakeCurrent(PRJ_SwitchTo(name, sizeof name));
        PRJ_PendingFlag = 1;
        EDT_Active = editor;
        GAME_EndRequest = 0;
        GAME_Tick(0);
        EXPECT_EQ(PRJ_PendingFlag, 0);
        EXPECT_EQ(GAME_EndRequest, 0);
        GAME_Tick(0);
        EXPECT_EQ(GAME_EndRequest, editor == 0 ? 1 : 0);
    }
    EDT_Active = 0;
}

// The death leads back to Project0 through its opening film, which it arms again.
TEST_F(DemoTickTest, AfterTheDeathProject0IsMadeCurrentThenLoaded)
{
    char name[32] = "Project1";
    PRJ_MakeCurrent(PRJ_SwitchTo(name, sizeof name));
    TickUntilLoaded();
    ActorRecord *hero = Hero();
    hero->life = 0.0f;
    hero->current_anim = 50;
    hero->frame_count = 16;
    hero->frame_position = 15.0f;
    // Well into the death: no first frame still to play, and no ended idle or return to idle that
    // would take the hero out of 50.
    hero->flags[0] &= uint8_t(~(ACTOR_F0_ANIM_ENDED | ACTOR_F0_ANIM_RESTART));
    hero->flags[1] &= uint8_t(~ACTOR_F1_ANIM_END_REQUEST);
    GAME_Tick(0);
    EXPECT_EQ(GAME_HeroDied, 1);
    EXPECT_EQ(GAME_OpeningFilmFlag, 1);
    GAME_Tick(0);
    EXPECT_EQ(Name(PRJ_Current), "Project0");
    EXPECT_EQ(PRJ_PendingFlag, 1);
    GAME_Tick(0);
    EXPECT_EQ(PRJ_PendingFlag, 0);
    EXPECT_EQ(GAME_OpeningFilmFlag, 0);
    EXPECT_EQ(hero->life, 100.0f);
    EXPECT_EQ(hero->position[0], -600.0);
}

int Scans;

TEST(GameEngineTest, TheEngineStartsOnItsHeapWithTheScreensViewAndEnds)
{
    kalder_test::ResetCore();
    struct Case {
        uint32_t width, height;
    };
    for (const Case &c : {Case{640, 480}, Case{320, 200}}) {
        SCOPED_TRACE(c.width);
        SCR_Width = c.width;
        SCR_Height = c.height;
        Max_Handle_Tables = 7;
        Max_Cache_Entries = 3;
        ASSERT_EQ(GAME_Init3DEngine(), 1);
        EXPECT_NE(GAME_3DHeap, nullptr);
        EXPECT_EQ(Work_Area, GAME_3DHeap);
        EXPECT_EQ(Work_Size, 7850000u);
        EXPECT_EQ(Max_Handle_Tables, 1024);
        EXPECT_EQ(Max_Cache_Entries, 256);
        EXPECT_EQ(std::string(Material_Dir), std::string(DSK_ModelPath()) + "data\\3dc\\");
        EXPECT_EQ(OBJ_View.screen_width, int32_t(c.width));
        EXPECT_EQ(OBJ_View.view_width, int32_t(c.width));
        EXPECT_EQ(OBJ_View.view_height, int32_t(c.height));
        EXPECT_EQ(OBJ_View.focal_x, float(c.width * 0.5 / std::tan(76.36f * 3.14159 / 360.0) + 0.5));

        Scans = 0;
        Render_Settings.scan_pass = [](uint16_t *) { Scans++; };
        std::vector<uint16_t> frame(size_t(c.width) * c.height);
        Render_Frame(frame.data());
        EXPECT_EQ(Scans, 1);

        test::Reset();
        GAME_Exit3DEngine();
        EXPECT_EQ(test::Stdout(), "desinit 3Dengine \n");
        EXPECT_EQ(GAME_3DHeap, nullptr);
        Render_Frame(frame.data());
        EXPECT_EQ(Scans, 1);
        Render_Settings.scan_pass = Scan_Pass;
    }
    SCR_Width = 0;
    SCR_Height = 0;
}

// The heap is handed to the library as the allocation gave it: none stops the game in the library.
TEST(GameEngineTest, AHeapThatCannotBeHadStopsWithHeapOverflow)
{
    kalder_test::ResetCore();
    test::SetExitHook(test::ThrowOnExit);
    test::FailHeapAlloc(7850000);
    try {
        GAME_Init3DEngine();
        FAIL() << "the start-up went on without a heap";
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, -1);
    }
    EXPECT_EQ(test::Stdout(), "Heap overflow\n");
    EXPECT_EQ(GAME_3DHeap, nullptr);
    kalder_test::ResetCore();
}

} // namespace
