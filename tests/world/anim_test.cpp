// Actor animation: the slot table and the loading of a type's animations, actions, the animation
// switch, the three players and their keys, the root's motion, attack frames, the per-frame update and
// the actor step's angles, on the test figure.
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/fsb.h"
#include "core/snd.h"
#include "plat/files.h"
#include "tests/support/fsb_writer.h"
#include "tests/world/anim_fixture.h"
#include "core/dpr.h"
#include "core/mem.h"
#include "core/sys.h"
#include "tests/support/dan_writer.h"
#include "world/dan.h"
#include "world/mdl.h"

using namespace anim_test;

namespace {

constexpr double kTwoPi = 6.2831853071794;

bool Flag(const ActorRecord &a, int byte, uint8_t bit) { return (a.flags[byte] & bit) != 0; }

void Playing(ActorRecord *a, int32_t number, float frame, float speed = 1.0f)
{
    kalder_test::PlayingAt(a, number, frame, speed);
}

} // namespace

TEST(AnimSlots, InitGivesEveryNumberItsFlagsAndNoHandle)
{
    ANIM_InitSlots();
    const struct {
        int32_t number, flags;
    } cases[] = {{2, 0x02}, {8, 0x02}, {12, 0x04}, {9, 0x24}, {50, 0x0C}, {51, 0x0C}, {0, 0}, {63, 0x04},
                 {61, 0x02}, {39, 0x24}, {49, 0}};
    for (int32_t set = 0; set < ANIM_SET_COUNT; set++) {
        for (const auto &c : cases) {
            EXPECT_EQ(ANIM_Slots[set][c.number].flags, c.flags) << "set " << set << " number " << c.number;
        }
        for (const ANIM_Slot &slot : ANIM_Slots[set]) {
            EXPECT_EQ(slot.handle, -1);
        }
    }
}

// ---- Loading --------------------------------------------------------------------------------------

TEST_F(Figure, GapsTakeTheNearestLowerAnimation)
{
    CharacterOptions options;
    options.numbers = {3, 7};
    Write(options);
    ACTOR_InitRecord(&actor);
    ASSERT_EQ(ANIM_LoadActorAnims(&actor, "tf_.3dc"), 1);
    ASSERT_EQ(actor.anim_set, 0);
    EXPECT_TRUE(Flag(actor, 1, ACTOR_F1_HAS_ANIMS));
    const int32_t h3 = Handle(3), h7 = Handle(7);
    EXPECT_NE(h3, -1);
    EXPECT_NE(h7, -1);
    EXPECT_NE(h3, h7);
    for (int32_t n = 0; n < ANIM_NUMBER_COUNT; n++) {
        EXPECT_EQ(Handle(n), n < 3 ? -1 : n < 7 ? h3 : h7) << n;
    }
    EXPECT_TRUE(ANIM_Slots[0][0].flags & ANIM_SLOT_IN_USE);
    // The next type takes the next set.
    ActorRecord other;
    ACTOR_InitRecord(&other);
    ASSERT_EQ(ANIM_LoadActorAnims(&other, "tf_.3dc"), 1);
    EXPECT_EQ(other.anim_set, 1);
}

TEST_F(Figure, NamesWithoutTwoDigitsBelow64AreSkipped)
{
    CharacterOptions options;
    options.numbers = {};
    options.extra_names = {"tf_anxab.3da", "tf_an099.3da", "tf_an100.3da"};
    Write(options);
    ACTOR_InitRecord(&actor);
    ASSERT_EQ(ANIM_LoadActorAnims(&actor, "tf_.3dc"), 1);
    // "tf_an100.3da" is number 0: the hundreds digit is not read.
    const int32_t h = Handle(0);
    ASSERT_NE(h, -1);
    for (int32_t n = 0; n < ANIM_NUMBER_COUNT; n++) {
        EXPECT_EQ(Handle(n), h) << n;
    }
    for (const auto &request : kalder_test::MemFiles_Requests()) {
        EXPECT_EQ(request.name.find("anxab"), std::string::npos);
        EXPECT_EQ(request.name.find("an099"), std::string::npos);
    }
    // A type without any animation gets none, and no set.
    ActorRecord bare;
    ACTOR_InitRecord(&bare);
    bare.flags[1] = ACTOR_F1_HAS_ANIMS;
    EXPECT_EQ(ANIM_LoadActorAnims(&bare, "zz_.3dc"), 0);
    EXPECT_EQ(bare.anim_set, -1);
    EXPECT_FALSE(Flag(bare, 1, ACTOR_F1_HAS_ANIMS));
}

TEST_F(Figure, SeventeenthTypeGetsNoSetAndA65thNameIsIgnored)
{
    CharacterOptions options;
    options.numbers.clear();
    for (int32_t n = 0; n < 64; n++) {
        options.numbers.push_back(n);
    }
    options.extra_names = {"tf_an100.3da"};
    Write(options);
    ACTOR_InitRecord(&actor);
    ASSERT_EQ(ANIM_LoadActorAnims(&actor, "tf_.3dc"), 1);
    // The first 64 names in sorted order are 000..063: 100 would have replaced number 0.
    for (const auto &request : kalder_test::MemFiles_Requests()) {
        EXPECT_EQ(request.name.find("an100"), std::string::npos);
    }
    EXPECT_LT(Handle(0), Handle(1)) << "slot 0 holds the first file loaded, 000";
    EXPECT_EQ(ANIM_FrameCount(Handle(0)), 20);

    // Fifteen more types of one animation each fill the table.
    CharacterOptions small;
    small.type = "tg_";
    small.numbers = {0};
    for (const NamedFile &f : kalder_test::CharacterAnims(small)) {
        Put(f);
    }
    for (int32_t set = 1; set < ANIM_SET_COUNT; set++) {
        ActorRecord a;
        ACTOR_InitRecord(&a);
        ASSERT_EQ(ANIM_LoadActorAnims(&a, "tg_.3dc"), 1);
        EXPECT_EQ(a.anim_set, set);
    }
    ActorRecord late;
    ACTOR_InitRecord(&late);
    late.flags[1] = ACTOR_F1_HAS_ANIMS;
    const ANIM_Slot before = ANIM_Slots[ANIM_SET_COUNT - 1][5];
    EXPECT_EQ(ANIM_LoadActorAnims(&late, "tg_.3dc"), 0);
    EXPECT_EQ(late.anim_set, -1);
    EXPECT_FALSE(Flag(late, 1, ACTOR_F1_HAS_ANIMS));
    EXPECT_EQ(ANIM_Slots[ANIM_SET_COUNT - 1][5].handle, before.handle);
}

TEST_F(Figure, DamagedAnimationStopsWithTheFixedTextAndNamesTheFile)
{
    CharacterOptions options;
    options.damaged = "tf_an016.3da";
    Write(options);
    ACTOR_InitRecord(&actor);
    try {
        ANIM_LoadActorAnims(&actor, "tf_.3dc");
        FAIL() << "no stop";
    } catch (const test::ExitCalled &exit) {
        EXPECT_EQ(exit.code, 999);
    }
    ASSERT_FALSE(test::MessageBoxes().empty());
    EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : Read file Error ../3DC/run00.3da");
    EXPECT_NE(test::Stderr().find("data\\3dc\\tf_an016.3da"), std::string::npos) << test::Stderr();
}

TEST_F(Figure, SetAnimSetCopiesTheSetAndTheFlag)
{
    Start();
    ActorRecord copy;
    ACTOR_InitRecord(&copy);
    EXPECT_EQ(ANIM_SetAnimSet(&copy, &actor), 1);
    EXPECT_EQ(copy.anim_set, actor.anim_set);
    EXPECT_TRUE(Flag(copy, 1, ACTOR_F1_HAS_ANIMS));
    ActorRecord none;
    ACTOR_InitRecord(&none);
    none.anim_set = -1;
    EXPECT_EQ(ANIM_SetAnimSet(&copy, &none), 0);
    EXPECT_EQ(copy.anim_set, -1);
    EXPECT_FALSE(Flag(copy, 1, ACTOR_F1_HAS_ANIMS));
}

// Through the game's model file source: the folder's files from disk, or a container's.
struct HookedFigure : Figure {
    void SetUp() override
    {
        Figure::SetUp();
        MEM_Arena = MEM_CreateStack(0x172000);
        DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
        ASSERT_NE(DPR_Main, nullptr);
        DAN_Init();
        Set_File_Source(MDL_FileHook);
    }
    void TearDown() override
    {
        DAN_Release();
        Figure::TearDown();
    }
};

TEST_F(HookedFigure, LoadsFromAFolderOrAContainer)
{
    CharacterOptions options;
    options.numbers = {3, 7};
    std::vector<NamedFile> anims = kalder_test::CharacterAnims(options);
    for (bool container : {false, true}) {
        SCOPED_TRACE(container ? "container" : "folder");
        ANIM_InitSlots();
        if (container) {
            // Only a container can hold a name too short for the search pattern: it names no slot.
            kalder_test::DanWriter w;
            w.model = kalder_test::CharacterModel(options).bytes;
            for (const NamedFile &f : anims) {
                w.anims.push_back({kalder_test::UpperName(f.name), f.bytes});
            }
            w.anims.push_back({"TF_AN0.3DA", kalder_test::CharacterAnims().front().bytes});
            drives->Write('C', "data/3dc/tf_.dan", w.Bytes());
            // As the model loading leaves it: the model read, the animations ready for the loader.
            ASSERT_EQ(DAN_Load3DC("C:\\data\\3dc\\tf_.dan"), 1);
            ASSERT_GE(Load_Obj("data\\3dc\\tf_.3dc"), 0);
            ASSERT_EQ(DAN_ReadAnimData(), 1);
        } else {
            for (const NamedFile &f : anims) {
                drives->Write('C', "data/3dc/" + f.name, f.bytes);
            }
        }
        ACTOR_InitRecord(&actor);
        ASSERT_EQ(ANIM_LoadActorAnims(&actor, "tf_.3dc"), 1);
        const int32_t h3 = Handle(3), h7 = Handle(7);
        ASSERT_NE(h3, -1);
        ASSERT_NE(h7, -1);
        EXPECT_NE(h3, h7);
        for (int32_t n = 0; n < ANIM_NUMBER_COUNT; n++) {
            EXPECT_EQ(Handle(n), n < 3 ? -1 : n < 7 ? h3 : h7) << n;
        }
        EXPECT_EQ(ANIM_FrameCount(h3), 20);
        DAN_Release();
    }
}

// ---- Actions --------------------------------------------------------------------------------------

TEST_F(Figure, DeathAndTheNoActionAnimationsIgnoreEveryAction)
{
    Start();
    const struct {
        int32_t current, requested;
    } cases[] = {{50, -1}, {0, 50}, {62, -1}, {63, -1}};
    for (const auto &c : cases) {
        for (int32_t action : {4, 12, 50, 60, 61, 36, 38}) {
            actor.current_anim = c.current;
            actor.requested_anim = c.requested;
            actor.heading_speed = actor.pitch_speed = actor.tilt = 0;
            ANIM_DoAction(&actor, action);
            EXPECT_EQ(actor.requested_anim, c.requested) << c.current << " " << action;
            EXPECT_EQ(actor.heading_speed, 0);
            EXPECT_EQ(actor.pitch_speed, 0);
        }
    }
}

// The speed s shows in the heading speed of one turn from a standstill: s x 12 / 32.
TEST_F(Figure, ActionSpeedFromOwnSpeedSteeringImmobileAndLock)
{
    Start();
    const struct {
        const char *what;
        int32_t own;  // -1: none
        bool steering, immobile, locked;
        int32_t heading_speed;
    } cases[] = {
        {"48, three quarters without pitch steering", -1, false, false, false, 13},
        {"48 with pitch steering", -1, true, false, false, 18},
        {"own speed 64, three quarters", 64, false, false, false, 18},
        {"own speed 64 with steering", 64, true, false, false, 24},
        {"immobile", 64, true, true, false, 0},
        {"locked: 36 halved", -1, false, false, true, 6},
        {"locked: 33 halved toward zero is 16", 33, true, false, true, 6},
        {"locked, own speed 100", 100, true, false, true, 18},
        // A project's huge speed wraps in the products as the processor's multiply does.
        {"own speed 0x7FFFFFFF, three quarters", 0x7FFFFFFF, false, false, false, 67108863},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        actor.flags[2] = uint8_t((c.own >= 0 ? ACTOR_F2_MOTION_SPEED : 0) | (c.locked ? ACTOR_F2_ACTION_HELD : 0));
        actor.motion_speed = c.own;
        actor.flags[4] = c.steering ? ACTOR_F4_PITCH_STEERING : 0;
        actor.flags[9] = c.immobile ? ACTOR_F9_KNOCKBACK : 0;
        actor.current_anim = 0;
        actor.heading_speed = 0;
        ANIM_DoAction(&actor, ANIM_TURN_RIGHT);
        EXPECT_EQ(actor.heading_speed, c.heading_speed);
    }
}

TEST_F(Figure, TurnsRampTheHeadingAndTiltSpeedsUpToTheirCaps)
{
    Start();
    const struct {
        const char *what;
        double factor;
        int32_t own;    // with pitch steering; -1: s = 36
        int32_t mode;
        uint8_t hero;
        float slow;     // slow time (factor 0.5)
        int32_t action;
        int32_t heading[3], tilt[3];
    } cases[] = {
        {"s 36 at 1", 1.0, -1, 1, 0, 0, 60, {13, 26, 39}, {0, 0, 0}},
        {"s 36 at 1, right", 1.0, -1, 1, 0, 0, 61, {-13, -26, -39}, {0, 0, 0}},
        {"s 36 at 2", 2.0, -1, 1, 0, 0, 60, {26, 52, 78}, {0, 0, 0}},
        {"s 300 at 1: the cap", 1.0, 300, 1, 0, 0, 60, {112, 100, 100}, {0, 0, 0}},
        {"s 300 at 1, right", 1.0, 300, 1, 0, 0, 61, {-112, -100, -100}, {0, 0, 0}},
        {"s 300 at 2", 2.0, 300, 1, 0, 0, 60, {224, 200, 200}, {0, 0, 0}},
        {"slowed to half", 1.0, -1, 1, 0, 5.0f, 60, {6, 12, 18}, {0, 0, 0}},
        {"the hero is not slowed", 1.0, -1, 1, ACTOR_F0_HERO, 5.0f, 60, {13, 26, 39}, {0, 0, 0}},
        {"airborne: the tilt speed too", 1.0, -1, 3, 0, 0, 60, {13, 26, 39}, {6, 12, 18}},
        {"airborne at 2, right", 2.0, 300, 3, 0, 0, 61, {-224, -200, -200}, {-112, -224, -200}},
        {"swimming: s / 32 up to 16", 1.0, 300, 2, 0, 0, 60, {112, 100, 100}, {9, 18, 16}},
        {"swimming at 2", 2.0, 300, 2, 0, 0, 60, {224, 200, 200}, {18, 36, 32}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        GAME_TimeFactor = c.factor;
        actor.flags[0] = uint8_t(ACTOR_F0_IN_USE | c.hero);
        actor.flags[2] = c.own >= 0 ? ACTOR_F2_MOTION_SPEED : 0;
        actor.flags[4] = c.own >= 0 ? ACTOR_F4_PITCH_STEERING : 0;
        actor.motion_speed = c.own;
        actor.physics_mode = c.mode;
        actor.slow_time = c.slow;
        actor.slow_factor = 0.5f;
        actor.heading_speed = actor.tilt_speed = 0;
        for (int k = 0; k < 3; k++) {
            ANIM_DoAction(&actor, c.action);
            EXPECT_EQ(actor.heading_speed, c.heading[k]) << "frame " << k + 1;
            EXPECT_EQ(actor.tilt_speed, c.tilt[k]) << "frame " << k + 1;
        }
        EXPECT_EQ(actor.slow_time, c.slow) << "actions do not count the slow time down";
    }
}

TEST_F(Figure, TurnTiltStrongTurnAndPitchActions)
{
    Start();
    const struct {
        const char *what;
        int32_t current, action;
        uint8_t strong, contact;
        int32_t mode, tilt, pitch;
        int32_t tilt_after, pitch_speed;
        float velocity_y;
    } cases[] = {
        // Target round((36 x 60 / 32) x 3.0) = 201, one eighth of the way.
        {"walk, left", 4, 60, 0, 0, 1, 0, 0, 25, 0, 0.0f},
        {"run, right", 5, 61, 0, 0, 1, 0, 0, 4096 - 25, 0, 0.0f},
        {"walk, from a tilt to the right", 4, 60, 0, 0, 1, 4000, 0, 4037, 0, 0.0f},
        {"idle: no turn tilt", 0, 60, 0, 0, 1, 0, 0, 0, 0, 0.0f},
        // Target round((36 x 150 / 32) x 3.0) = 504, one sixteenth.
        {"strong turn falls", 0, 60, ACTOR_F5_STRONG_TURN, 0, 1, 0, 0, 31, 0, -2.0f},
        {"strong turn in contact A", 0, 61, ACTOR_F5_STRONG_TURN, ACTOR_C0_CONTACT_A, 1, 0, 0, 4096 - 31, 0, 0.0f},
        {"pitch up", 0, 36, 0, 0, 1, 0, 1000, 0, 6, 0.0f},
        {"pitch down", 0, 38, 0, 0, 1, 0, 2079, 0, -6, 0.0f},
        {"swimming: up into 1001", 0, 36, 0, 0, 2, 0, 995, 0, 0, 0.0f},
        {"swimming: up to 1000", 0, 36, 0, 0, 2, 0, 994, 0, 6, 0.0f},
        {"swimming: up into 2023", 0, 36, 0, 0, 2, 0, 2017, 0, 0, 0.0f},
        {"swimming: up past 2023", 0, 36, 0, 0, 2, 0, 2018, 0, 6, 0.0f},
        {"swimming: down into 3095", 0, 38, 0, 0, 2, 0, 3101, 0, 0, 0.0f},
        {"swimming: down to 3096", 0, 38, 0, 0, 2, 0, 3102, 0, -6, 0.0f},
        {"swimming: down into 2073", 0, 38, 0, 0, 2, 0, 2079, 0, 0, 0.0f},
        {"swimming: down to 2072", 0, 38, 0, 0, 2, 0, 2078, 0, -6, 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        actor.current_anim = c.current;
        actor.requested_anim = -1;
        actor.flags[5] = c.strong;
        actor.coll_flags[0] = c.contact;
        actor.physics_mode = c.mode;
        actor.tilt = c.tilt;
        actor.pitch = c.pitch;
        actor.pitch_speed = 0;
        actor.velocity[1] = 0.0f;
        ANIM_DoAction(&actor, c.action);
        EXPECT_EQ(actor.tilt, c.tilt_after);
        EXPECT_EQ(actor.pitch_speed, c.pitch_speed);
        EXPECT_EQ(actor.velocity[1], c.velocity_y);
        EXPECT_EQ(actor.requested_anim, -1) << "turns and pitch actions leave the animation";
    }
}

TEST_F(Figure, ActionsRequestTheirAnimationUnlessLocked)
{
    Start();
    const struct {
        const char *what;
        int32_t current, action;
        bool locked, extended;
        int32_t mode, requested;
    } cases[] = {
        {"a plain action", 0, 4, false, false, 1, 4},
        {"kept while locked", 12, 4, true, false, 1, -1},
        {"death even when locked", 12, 50, true, false, 1, 50},
        {"a turn with its own animation", 0, 60, false, true, 1, 60},
        {"from a turn to the other", 60, 61, false, true, 1, 61},
        {"no turn animation while walking", 4, 60, false, true, 1, -1},
        {"none in the air", 0, 60, false, true, 3, -1},
        {"none without extended keys", 0, 61, false, false, 1, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        actor.current_anim = c.current;
        actor.requested_anim = -1;
        actor.flags[2] = c.locked ? ACTOR_F2_ACTION_HELD : 0;
        actor.flags[7] = c.extended ? ACTOR_F7_EXTENDED_KEYS : 0;
        actor.physics_mode = c.mode;
        ANIM_DoAction(&actor, c.action);
        EXPECT_EQ(actor.requested_anim, c.requested);
    }
}

// ---- The switch -----------------------------------------------------------------------------------

TEST_F(Figure, SwitchesStartAFadeOrAPairOrRestartInPlace)
{
    Start();
    struct Case {
        const char *what;
        std::function<void(ActorRecord &)> set;
        int32_t result, current, target_number;
        bool fade, pair, locked, ended, end_request, first_frame;
        float speed;
    };
    auto walking = [](ActorRecord &a) { Playing(&a, 4, 5.0f); };
    const Case cases[] = {
        {"idle to walk", [](ActorRecord &a) { a.requested_anim = 4; }, 1, 4, 4, true, false, false, false, false, false,
         1.0f},
        {"idle to a locking action", [](ActorRecord &a) { a.requested_anim = 12; }, 1, 12, 12, true, false, true, false,
         false, false, 1.0f},
        {"walk to run: a pair",
         [&](ActorRecord &a) {
             walking(a);
             a.requested_anim = 5;
         },
         1, 5, 5, true, true, false, false, false, false, 1.0f},
        {"walk to run with a strong turn: a fade",
         [&](ActorRecord &a) {
             walking(a);
             a.flags[5] = ACTOR_F5_STRONG_TURN;
             a.requested_anim = 5;
         },
         1, 5, 5, true, false, false, false, false, false, 1.0f},
        {"the same animation again",
         [&](ActorRecord &a) {
             walking(a);
             a.anim_speed = 0.0f;
             a.flags[0] |= ACTOR_F0_ANIM_ENDED;
             a.flags[1] |= ACTOR_F1_ANIM_END_REQUEST;
             a.requested_anim = 4;
         },
         1, 4, 4, false, false, false, false, false, true, 1.0f},
        {"back to idle on the ground",
         [&](ActorRecord &a) {
             walking(a);
             a.flags[1] |= ACTOR_F1_ANIM_END_REQUEST;
         },
         1, 0, 0, true, false, false, false, true, false, 1.0f},
        {"back to idle swimming",
         [&](ActorRecord &a) {
             walking(a);
             a.physics_mode = 2;
             a.flags[1] |= ACTOR_F1_ANIM_END_REQUEST;
         },
         1, 1, 1, true, false, false, false, true, false, 1.0f},
        {"back to idle in the air, after the end",
         [&](ActorRecord &a) {
             walking(a);
             a.physics_mode = 3;
             a.flags[0] |= ACTOR_F0_ANIM_ENDED;
         },
         1, 1, 1, true, false, false, true, false, false, 1.0f},
        {"without may-idle the idle is 0",
         [&](ActorRecord &a) {
             walking(a);
             a.physics_mode = 2;
             a.flags[1] = uint8_t((a.flags[1] & ~ACTOR_F1_AI) | ACTOR_F1_ANIM_END_REQUEST);
         },
         1, 0, 0, true, false, false, false, true, false, 1.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Ready(&actor, figure);
        actor.flags[0] &= uint8_t(~ACTOR_F0_ANIM_RESTART);
        c.set(actor);
        const int32_t from = actor.anim_handles[0];
        EXPECT_EQ(ANIM_ChangeAnim(&actor), c.result);
        EXPECT_EQ(actor.current_anim, c.current);
        EXPECT_EQ(actor.requested_anim, -1);
        EXPECT_EQ(actor.anim_handles[1], Handle(c.target_number));
        EXPECT_EQ(actor.anim_handles[0], from) << "the current animation stays until the fade ends";
        EXPECT_EQ(Flag(actor, 0, ACTOR_F0_ANIM_RESTART2), c.fade);
        EXPECT_EQ(Flag(actor, 2, ACTOR_F2_PAIR_SWITCH), c.pair);
        EXPECT_EQ(Flag(actor, 2, ACTOR_F2_ACTION_HELD), c.locked);
        EXPECT_EQ(Flag(actor, 0, ACTOR_F0_ANIM_ENDED), c.ended);
        EXPECT_EQ(Flag(actor, 1, ACTOR_F1_ANIM_END_REQUEST), c.end_request);
        EXPECT_EQ(Flag(actor, 0, ACTOR_F0_ANIM_RESTART), c.first_frame);
        EXPECT_EQ(actor.anim_speed, c.speed);
        EXPECT_EQ(actor.blend_frames, c.fade || c.first_frame ? 8 : 0);
        if (c.fade) {
            EXPECT_EQ(actor.anim_field, 0);
            EXPECT_EQ(actor.anim_blend, 1.0f);
            EXPECT_EQ(actor.saved_frame_count, kalder_test::CharacterFrames(c.target_number));
        }
    }
}

// The hero in contact A (falling) returns to an idle by its vertical speed per unit of time factor.
TEST_F(Figure, FallingHeroChoosesItsIdleByVerticalSpeed)
{
    Start();
    const struct {
        double speed;
        uint8_t hero, contact;
        int32_t mode, idle;
    } cases[] = {
        {0.5, ACTOR_F0_HERO, ACTOR_C0_CONTACT_A, 1, 0},   {1.0, ACTOR_F0_HERO, ACTOR_C0_CONTACT_A, 1, 41},
        {20.0, ACTOR_F0_HERO, ACTOR_C0_CONTACT_A, 1, 25}, {45.0, ACTOR_F0_HERO, ACTOR_C0_CONTACT_A, 1, 42},
        {19.9, ACTOR_F0_HERO, ACTOR_C0_CONTACT_A, 1, 41}, {45.0, 0, ACTOR_C0_CONTACT_A, 1, 0},
        {45.0, ACTOR_F0_HERO, 0, 1, 0},                    {45.0, ACTOR_F0_HERO, ACTOR_C0_CONTACT_A, 2, 1},
    };
    for (double factor : {1.0, 2.0}) {
        GAME_TimeFactor = factor;
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "factor " << factor << " speed " << c.speed << " hero " << int(c.hero)
                                            << " contact " << int(c.contact) << " mode " << c.mode);
            Ready(&actor, figure);
            Playing(&actor, 4, 3.0f);
            actor.flags[0] |= c.hero;
            actor.coll_flags[0] = c.contact;
            actor.physics_mode = c.mode;
            actor.phy_velocity[1] = c.speed * factor;
            actor.flags[1] |= ACTOR_F1_ANIM_END_REQUEST;
            EXPECT_EQ(ANIM_ChangeAnim(&actor), 1);
            EXPECT_EQ(actor.current_anim, c.idle);
            EXPECT_EQ(actor.anim_handles[1], Handle(c.idle));
        }
    }
}

TEST_F(Figure, LockedActorDoesNotSwitch)
{
    Start();
    Playing(&actor, 12, 3.0f);
    actor.flags[2] |= ACTOR_F2_ACTION_HELD;
    actor.flags[8] |= ACTOR_F8_BLEND_RESTART;
    actor.requested_anim = 4;
    actor.flags[1] |= ACTOR_F1_ANIM_END_REQUEST;
    std::vector<uint8_t> before(sizeof actor);
    std::memcpy(before.data(), &actor, sizeof actor);
    EXPECT_EQ(ANIM_ChangeAnim(&actor), 0);
    EXPECT_EQ(std::memcmp(before.data(), &actor, sizeof actor), 0);
}

// ---- Players --------------------------------------------------------------------------------------

TEST_F(Figure, CrossFadeStepsItsWeightByTheTimeFactor)
{
    Start();
    const struct {
        const char *what;
        double factor;
        int32_t target;
        std::vector<int32_t> weights; // applied at each step; the fade ends after the last
    } cases[] = {
        {"factor 1", 1.0, 4, {0, 48, 96, 144, 192, 240}},
        {"factor 2", 2.0, 4, {0, 96, 192}},
        {"factor 0.5", 0.5, 4, {0, 24, 48, 72, 96, 120, 144, 168, 192, 216, 240}},
        {"a locking target", 1.0, 12, {0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        GAME_TimeFactor = c.factor;
        Ready(&actor, figure);
        Playing(&actor, 0, 7.0f);
        actor.requested_anim = c.target;
        ANIM_ChangeAnim(&actor);
        const int32_t from = Handle(0), to = Handle(c.target);
        for (size_t k = 0; k < c.weights.size(); k++) {
            ASSERT_TRUE(Flag(actor, 0, ACTOR_F0_ANIM_RESTART2)) << "step " << k;
            EXPECT_EQ(actor.anim_field, c.weights[k]) << "step " << k;
            ANIM_BlendStep(&actor);
            // The outgoing animation stays on its frame; the target shows its frame 1.
            EXPECT_EQ(Limbs(PoseOf(actor.node)), Limbs(Expected(from + 7, to + 1, c.weights[k]))) << "step " << k;
        }
        EXPECT_FALSE(Flag(actor, 0, ACTOR_F0_ANIM_RESTART2));
        EXPECT_TRUE(Flag(actor, 0, ACTOR_F0_ANIM_RESTART)) << "the target plays from its first frame next";
        EXPECT_EQ(actor.anim_handles[0], to);
        EXPECT_EQ(actor.frame_position, 1.0f);
        EXPECT_EQ(actor.frame_count, kalder_test::CharacterFrames(c.target));
        EXPECT_EQ(Flag(actor, 2, ACTOR_F2_ACTION_HELD), c.target == 12);
    }
}

// An animation whose slot restarts the fields (9, here the run's table) collapses the fade onto the
// target at once.
TEST_F(Figure, BlendRestartCollapsesTheFade)
{
    Start();
    Playing(&actor, 9, 4.0f);
    actor.requested_anim = 4;
    ANIM_ChangeAnim(&actor);
    ASSERT_TRUE(Flag(actor, 8, ACTOR_F8_BLEND_RESTART));
    ANIM_BlendStep(&actor);
    EXPECT_EQ(actor.anim_handles[0], Handle(4));
    EXPECT_EQ(Limbs(PoseOf(actor.node)), Limbs(Expected(Handle(4) + 1, Handle(4) + 1, 0)));
    EXPECT_FALSE(Flag(actor, 0, ACTOR_F0_ANIM_RESTART2));
    EXPECT_TRUE(Flag(actor, 0, ACTOR_F0_ANIM_RESTART));
}

struct PlayKeys : Figure {
    void Run(int32_t kind)
    {
        CharacterOptions options;
        options.kind = kind;
        Start(options);
        const int32_t h = Handle(12); // ten frames
        const struct {
            float frame;
            int32_t a, b, weight;
        } cases[] = {{3.75f, 3, 4, 192}, {9.5f, 9, 10, 128}, {10.0f, 10, 10, 0}, {1.0f, 1, 2, 0}, {0.25f, 0, 1, 64}};
        for (const auto &c : cases) {
            SCOPED_TRACE(c.frame);
            Playing(&actor, 12, c.frame, 0.0f);
            ANIM_PlayFrame(&actor);
            EXPECT_EQ(Keyed(actor), Expected(h + c.a, h + c.b, c.weight, kind == 6));
        }
    }
};

TEST_F(PlayKeys, InterpolateBetweenWholeFramesOfLinearKeys) { Run(4); }
TEST_F(PlayKeys, InterpolateBetweenWholeFramesOfSplineKeys) { Run(6); }

TEST_F(Figure, EndOfAnAnimationLoopsHoldsOrUnlocks)
{
    Start();
    const struct {
        const char *what;
        int32_t number;
        float frame, frame_after, speed_after;
        bool ended, locked;
    } cases[] = {
        {"idle loops from 1.0", 0, 20.5f, 1.0f, 1.0f, true, false},
        {"idle of other modes too", 1, 21.0f, 1.0f, 1.0f, true, false},
        {"death holds its last frame", 50, 30.2f, 30.0f, 0.0f, false, true},
        {"an action ends and unlocks", 12, 10.0f, 10.0f, 1.0f, true, false},
        {"short of the end: nothing", 12, 9.99f, 9.99f, 1.0f, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Playing(&actor, c.number, c.frame);
        actor.flags[2] |= ACTOR_F2_ACTION_HELD;
        EXPECT_EQ(ANIM_CheckEnd(&actor), int32_t(c.frame));
        EXPECT_EQ(actor.frame_position, c.frame_after);
        EXPECT_EQ(actor.anim_speed, c.speed_after);
        EXPECT_EQ(Flag(actor, 0, ACTOR_F0_ANIM_ENDED), c.ended);
        EXPECT_EQ(Flag(actor, 2, ACTOR_F2_ACTION_HELD), c.locked);
    }
}

TEST_F(Figure, HeldActionsStopUnlessRequestedAgain)
{
    Start();
    for (int32_t number : {2, 4, 5, 8, 25, 60}) {
        SCOPED_TRACE(number);
        Playing(&actor, number, 2.0f);
        actor.flags[1] &= uint8_t(~ACTOR_F1_ANIM_END_REQUEST);
        ANIM_PlayFrame(&actor);
        EXPECT_EQ(actor.frame_position, 3.0f);
        EXPECT_TRUE(Flag(actor, 1, ACTOR_F1_ANIM_END_REQUEST));
        EXPECT_EQ(actor.anim_speed, 0.0f);
    }
    Playing(&actor, 0, 2.0f);
    actor.flags[1] &= uint8_t(~ACTOR_F1_ANIM_END_REQUEST);
    ANIM_PlayFrame(&actor);
    EXPECT_FALSE(Flag(actor, 1, ACTOR_F1_ANIM_END_REQUEST));
    EXPECT_EQ(actor.anim_speed, 1.0f);
}

TEST_F(Figure, PairStepSwapsInOneStepAtTheSameFrame)
{
    Start();
    Playing(&actor, 4, 5.0f);
    actor.requested_anim = 5;
    ANIM_ChangeAnim(&actor);
    ASSERT_TRUE(Flag(actor, 2, ACTOR_F2_PAIR_SWITCH));
    ANIM_PairStep(&actor);
    EXPECT_EQ(Keyed(actor), Expected(Handle(4) + 5, Handle(5) + 5, 128));
    EXPECT_EQ(actor.anim_handles[0], Handle(5));
    EXPECT_EQ(actor.frame_count, 12);
    EXPECT_EQ(actor.frame_position, 2.0f) << "the target from frame 1.0, then one step";
    EXPECT_FALSE(Flag(actor, 2, ACTOR_F2_PAIR_SWITCH));
    EXPECT_FALSE(Flag(actor, 0, ACTOR_F0_ANIM_RESTART2));
    EXPECT_TRUE(Flag(actor, 1, ACTOR_F1_ANIM_END_REQUEST)) << "the run is a held action";
}

TEST_F(Figure, SlowTimeAndTimeScaleSetTheStep)
{
    Start();
    const struct {
        const char *what;
        int32_t number;
        float slow, scale;
        uint8_t owner;
        double factor;
        float frame_after, slow_after;
    } cases[] = {
        {"plain", 12, 0, 0, 0, 1.0, 2.0f, 0},
        {"factor 2", 12, 0, 0, 0, 2.0, 3.0f, 0},
        {"slowed to half", 12, 3.0f, 0, 0, 1.0, 1.5f, 2.0f},
        {"the slow time ends at 0", 12, 0.5f, 0, 0, 1.0, 1.5f, 0.0f},
        {"slowed at factor 2", 12, 3.0f, 0, 0, 2.0, 2.0f, 1.0f},
        {"time scale outside 0..8", 12, 0, 2.0f, 0, 1.0, 3.0f, 0},
        {"no time scale in 0..8", 4, 0, 2.0f, 0, 1.0, 2.0f, 0},
        {"a platform owner's scale in 0..8", 4, 0, 2.0f, ACTOR_F5_PLATFORM_OWNER, 1.0, 3.0f, 0},
        {"both", 12, 3.0f, 2.0f, 0, 1.0, 2.0f, 2.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        GAME_TimeFactor = c.factor;
        Playing(&actor, c.number, 1.0f);
        actor.slow_time = c.slow;
        actor.slow_factor = 0.5f;
        actor.anim_time_scale = c.scale;
        actor.flags[5] = c.owner;
        ANIM_PlayFrame(&actor);
        EXPECT_EQ(actor.frame_position, c.frame_after);
        EXPECT_EQ(actor.slow_time, c.slow_after);
    }
    // The fade takes the time scale whatever the animation.
    GAME_TimeFactor = 1.0;
    Playing(&actor, 0, 1.0f);
    actor.slow_time = 0;
    actor.anim_time_scale = 2.0f;
    actor.flags[5] = 0;
    actor.requested_anim = 4;
    ANIM_ChangeAnim(&actor);
    ANIM_BlendStep(&actor);
    EXPECT_EQ(actor.anim_field, 96);
}

// A frame count read from a damaged animation is held below the key's 16 bits, so no frame names the
// next table; a number without an animation poses nothing.
TEST_F(Figure, FramesStayInsideTheirTable)
{
    Start();
    kalder_test::ImageBuilder damaged = kalder_test::TrackImage(4, kalder_test::CharacterTracks(4));
    damaged.Damage32("track0", 0, 70000);
    kalder_test::MemFiles_Add("long.3da", damaged.Finish().bytes);
    kalder_test::MemFiles_Add("after.3da", kalder_test::CharacterAnims().front().bytes);
    const int32_t longer = Load_Obj("long.3da"), after = Load_Obj("after.3da");
    ASSERT_EQ(after, longer + 0x10000) << "the next table";
    kalder_test::ImageBuilder negative = kalder_test::TrackImage(4, kalder_test::CharacterTracks(4));
    negative.Damage32("track0", 0, -5);
    kalder_test::MemFiles_Add("negative.3da", negative.Finish().bytes);
    EXPECT_EQ(ANIM_FrameCount(longer), 65534);
    EXPECT_EQ(ANIM_FrameCount(Load_Obj("negative.3da")), 0);
    EXPECT_EQ(ANIM_FrameCount(-1), 0);

    ANIM_Slots[actor.anim_set][12].handle = longer;
    for (float frame : {65534.5f, 65600.0f, 200000.0f}) {
        SCOPED_TRACE(frame);
        Playing(&actor, 12, frame, 0.0f);
        EXPECT_EQ(actor.frame_count, 65534);
        ANIM_PlayFrame(&actor);
        EXPECT_EQ(Keyed(actor), Expected(longer + 65535, longer + 65535, 0));
    }
    // From a missing animation to a real one the fade shows the real one alone.
    ANIM_Slots[actor.anim_set][12].handle = -1;
    Playing(&actor, 12, 3.0f);
    const Pose before = PoseOf(actor.node);
    ANIM_PlayFrame(&actor);
    EXPECT_EQ(Limbs(PoseOf(actor.node)), Limbs(before));
    actor.requested_anim = 16;
    actor.flags[2] &= uint8_t(~ACTOR_F2_ACTION_HELD);
    ANIM_ChangeAnim(&actor);
    ANIM_BlendStep(&actor);
    EXPECT_EQ(Limbs(PoseOf(actor.node)), Limbs(Expected(Handle(16) + 1, Handle(16) + 1, 0)));
}

// ---- Root motion ----------------------------------------------------------------------------------

namespace {

// The world motion of a root motion D by the play formula.
std::array<double, 3> Play_Motion(int32_t heading, int32_t pitch, double dx, double dy, double dz)
{
    const double th = double(4096 - heading) * kTwoPi / 4096.0, tp = double(pitch) * kTwoPi / 4096.0;
    return {std::cos(tp) * (std::cos(th) * dx - std::sin(th) * dz), std::cos(tp) * dy + std::sin(tp) * dx,
            std::cos(tp) * (std::sin(th) * dx + std::cos(th) * dz)};
}

std::array<double, 3> Pair_Motion(int32_t heading, int32_t pitch, double dx, double dy, double dz)
{
    const double th = double(4096 - heading) * kTwoPi / 4096.0, tp = double(pitch) * kTwoPi / 4096.0;
    return {std::cos(th) * std::cos(tp) * dx - std::sin(th) * std::sin(tp) * dz, std::cos(tp) * dy + std::sin(tp) * dx,
            std::sin(th) * std::cos(tp) * dx + std::cos(th) * std::sin(tp) * dz};
}

// The driven motion is three floats: the closed form rounded to float.
void Expect_Motion(const ActorRecord &a, const std::array<double, 3> &m)
{
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(a.velocity[i], double(float(m[size_t(i)])), 1e-9) << "axis " << i;
    }
}

} // namespace

TEST_F(Figure, WalkTurnsItsRootMotionByHeadingAndPitch)
{
    Start();
    const struct {
        int32_t heading, pitch;
        std::array<double, 3> motion;
    } cases[] = {
        {0, 0, {8, 0, 0}},
        {1024, 0, {0, 0, -8}},
        {2048, 0, {-8, 0, 0}},
        {3072, 0, {0, 0, 8}},
        {0, 256, Play_Motion(0, 256, 8, 0, 0)},
        {512, 256, Play_Motion(512, 256, 8, 0, 0)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "heading " << c.heading << " pitch " << c.pitch);
        Playing(&actor, 4, 2.0f);
        actor.stored_node_pos[0] = 8; // the root at frame 1
        actor.heading = c.heading;
        actor.pitch = c.pitch;
        ANIM_PlayFrame(&actor);
        EXPECT_EQ(actor.stored_node_pos[0], 16);
        EXPECT_EQ(actor.previous_node_pos[0], 8);
        Expect_Motion(actor, c.motion);
    }
    // The pair step turns its motion by the pair formula: D is the blend of walk and run at frame 5
    // against the walk's frame 4.
    for (int32_t heading : {0, 700}) {
        Playing(&actor, 4, 5.0f);
        actor.stored_node_pos[0] = 32;
        actor.heading = heading;
        actor.pitch = 256;
        actor.requested_anim = 5;
        ANIM_ChangeAnim(&actor);
        ANIM_PairStep(&actor);
        EXPECT_EQ(actor.stored_node_pos[0], 50);
        Expect_Motion(actor, Pair_Motion(heading, 256, 18, 0, 0));
    }
}

TEST_F(Figure, StrideSpeedFactorAndModifiersScaleTheMotion)
{
    Start();
    // The walk at pitch 256 moves the root 8 along x: X = 8 cos p, Y = 8 sin p.
    const double cx = 8 * std::cos(256 * kTwoPi / 4096), sy = 8 * std::sin(256 * kTwoPi / 4096);
    const struct {
        const char *what;
        int32_t number;
        uint8_t motion, modifiers;
        int32_t editor;
        float speed_factor;
        double x, y;
    } cases[] = {
        {"plain", 4, 0, 0, 0, 1.0f, cx, sy},
        {"double stride", 4, ACTOR_F2_DOUBLE_STRIDE, 0, 0, 1.0f, 2 * cx, 2 * sy},
        {"double stride in the editor", 4, ACTOR_F2_DOUBLE_STRIDE, 0, 1, 1.0f, 8 * cx, 8 * sy},
        {"the editor alone", 4, 0, 0, 1, 1.0f, cx, sy},
        {"speed factor in 2..8", 4, 0, 0, 0, 1.5f, 1.5 * cx, sy},
        {"no speed factor in 9 (the run's table)", 9, 0, 0, 0, 1.5f, cx, sy},
        {"x 0.6", 4, 0, ACTOR_F7_SLOWER, 0, 1.0f, 0.6 * cx, 0.6 * sy},
        {"x 1.3 across", 4, 0, ACTOR_F7_LONGER, 0, 1.0f, 1.3 * cx, sy},
        {"no x and z", 4, 0, ACTOR_F7_NO_XZ, 0, 1.0f, 0, sy},
        {"x 1.4 across, 1.3 up", 4, 0, ACTOR_F7_FASTER, 0, 1.0f, 1.4 * cx, 1.3 * sy},
        {"in order", 4, 0, ACTOR_F7_SLOWER | ACTOR_F7_LONGER | ACTOR_F7_FASTER, 0, 1.0f, cx * 0.6 * 1.3 * 1.4,
         sy * 0.6 * 1.3},
        {"all four", 4, 0, ACTOR_F7_SLOWER | ACTOR_F7_LONGER | ACTOR_F7_NO_XZ | ACTOR_F7_FASTER, 0, 1.0f, 0,
         sy * 0.6 * 1.3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Playing(&actor, c.number, 2.0f);
        actor.flags[2] = c.motion;
        actor.flags[7] = c.modifiers;
        EDT_Active = c.editor;
        actor.speed_factor = c.speed_factor;
        actor.pitch = 256;
        const int32_t step = c.number == 4 ? 8 : 12;
        actor.stored_node_pos[0] = step;
        ANIM_PlayFrame(&actor);
        const double k = step / 8.0;
        EXPECT_NEAR(actor.velocity[0], c.x * k, 1e-5);
        EXPECT_NEAR(actor.velocity[1], c.y * k, 1e-5);
        EXPECT_NEAR(actor.velocity[2], 0.0, 1e-9);
    }
    EDT_Active = 0;
    // With "no x and z" and no driven motion the actor rises and falls by its root alone.
    Playing(&actor, 4, 2.0f);
    actor.flags[7] = ACTOR_F7_NO_XZ;
    actor.stored_node_pos[0] = 8;
    actor.position[0] = 100.0;
    actor.position[1] = 50.0;
    ANIM_PlayFrame(&actor);
    EXPECT_EQ(actor.position[0], 100.0);
    EXPECT_EQ(actor.position[1], 50.0 + std::round(sy));
}

TEST_F(Figure, DrivenMotionApproachesTheAnimationsMotion)
{
    Start();
    // Each frame: v x s / 128 + new x (128 - s) / 128 with s = 16, from rest.
    actor.flags[2] = ACTOR_F2_MOTION_SCALE;
    actor.motion_scale = 16.0f;
    double expected = 0.0;
    for (int k = 0; k < 4; k++) {
        Playing(&actor, 4, 2.0f);
        actor.stored_node_pos[0] = 8;
        ANIM_PlayFrame(&actor);
        expected = expected * 16.0 / 128.0 + 8.0 * 112.0 / 128.0;
        EXPECT_NEAR(actor.velocity[0], expected, 1e-6) << "frame " << k;
    }
    // Animations 9..11 blend across by 48 / 80 whatever the scale; up and down by the scale.
    actor.velocity[0] = 4.0f;
    actor.velocity[1] = 2.0f;
    Playing(&actor, 10, 2.0f);
    actor.stored_node_pos[0] = 12;
    ANIM_PlayFrame(&actor);
    EXPECT_NEAR(actor.velocity[0], 4.0 * 48 / 128 + 12.0 * 80 / 128, 1e-6);
    EXPECT_NEAR(actor.velocity[1], 2.0 * 16 / 128, 1e-6);
    // A fade scales the motion: x and z by s / 128, y by 120 / 128 while falling.
    for (uint8_t contact : {uint8_t(0), ACTOR_C0_CONTACT_A}) {
        Playing(&actor, 0, 3.0f);
        actor.requested_anim = 4;
        ANIM_ChangeAnim(&actor);
        actor.velocity[0] = actor.velocity[1] = actor.velocity[2] = 64.0f;
        actor.coll_flags[0] = contact;
        ANIM_BlendStep(&actor);
        EXPECT_EQ(actor.velocity[0], 8.0f);
        EXPECT_EQ(actor.velocity[1], contact ? 60.0f : 8.0f);
        EXPECT_EQ(actor.velocity[2], 8.0f);
    }
}

// A root without position keys gives no motion: the figure stands exactly where it is, frame after
// frame. A walk moves it 8 a frame through the physics.
TEST_F(Figure, StandingFigureStaysAndWalkingFigureMoves)
{
    CharacterOptions options;
    options.single_key_idle = true;
    Start(options);
    actor.position[0] = 1000.25;
    actor.position[1] = -40.0;
    actor.position[2] = 300.0;
    actor.heading = 700;
    for (int k = 0; k < 100; k++) {
        ACTOR_Step(&actor);
        ASSERT_EQ(actor.position[0], 1000.25) << "frame " << k;
        ASSERT_EQ(actor.position[1], -40.0) << "frame " << k;
        ASSERT_EQ(actor.position[2], 300.0) << "frame " << k;
    }
    int32_t node[3];
    Get_Obj_Pos(actor.node, node);
    EXPECT_EQ(node[0], 1000);
    EXPECT_EQ(node[1], -40);
    EXPECT_EQ(node[2], 300);

    actor.heading = 0;
    double last = actor.position[0];
    int moving = 0;
    for (int k = 0; k < 30; k++) {
        ANIM_DoAction(&actor, 4);
        ACTOR_Step(&actor);
        if (actor.current_anim == 4 && !Flag(actor, 0, ACTOR_F0_ANIM_RESTART2) && actor.position[0] != last) {
            EXPECT_EQ(actor.position[0] - last, 8.0) << "frame " << k;
            moving++;
        }
        last = actor.position[0];
    }
    EXPECT_GE(moving, 20);
}

// ---- Attack frames --------------------------------------------------------------------------------

struct AttackFrames : Figure {
    void SetUp() override
    {
        Figure::SetUp();
        test::SetSoundDevice(true);
        drives->Write('C', "data/sound/fsb.dat", kalder_test::FsbImage(kalder_test::DemoSounds(24)));
        ASSERT_EQ(SND_Init(8), 1);
        FSB_Load("C:\\data\\sound\\fsb.dat");
    }
    // The effect channels now holding a sound of the bank, with the request's flags.
    int32_t Channels_With(int32_t sound, uint8_t flags)
    {
        int32_t n = 0;
        for (int32_t c = 0; c < SND_ChannelCount; c++) {
            const SND_Channel &channel = SND_Channels[c];
            n += channel.handle != 0 && (channel.handle & 0xFFFF) == uint32_t(sound) &&
                 ((channel.handle >> 16) & 7) == 1 && channel.flags == flags;
        }
        return n;
    }
    // The projectiles the actor launched that are still in flight.
    int32_t Launched() const
    {
        int32_t n = 0;
        for (const ActorRecord &p : ACTOR_Projectiles) {
            n += (p.flags[0] & ACTOR_F0_IN_USE) != 0 && p.leader == &actor;
        }
        return n;
    }
    static void ClearProjectiles()
    {
        for (ActorRecord &p : ACTOR_Projectiles) {
            ACTOR_InitRecord(&p);
        }
    }
    // Plays the attack from the idle, requested once: the frame at the start of each step that fired.
    std::vector<float> Attack(int32_t number, int32_t steps)
    {
        actor.requested_anim = number;
        std::vector<float> fired;
        for (int k = 0; k < steps; k++) {
            const int32_t before = Launched();
            const float frame = actor.frame_position;
            ACTOR_Step(&actor);
            if (Launched() != before) {
                fired.push_back(frame);
            }
        }
        return fired;
    }
};

TEST_F(AttackFrames, BlowLandsOncePerSwitchPastTheHitFrame)
{
    Start();
    const std::vector<float> fired = Attack(16, 40);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_GT(fired[0], 10.0f);
    EXPECT_LE(fired[0], 11.0f) << "the first frame above 10 of 20";
    EXPECT_EQ(Launched(), 1);
    EXPECT_EQ(Channels_With(22, 0x01), 1);
    EXPECT_EQ(FX_BallCount, 0);
    // The attack ended and the actor stands again: a second switch to 16 strikes again.
    EXPECT_EQ(actor.current_anim, 0);
    EXPECT_EQ(Attack(16, 40).size(), 1u);
    EXPECT_EQ(Launched(), 2);
}

TEST_F(AttackFrames, HitFramesSoundsAndBallsByAnimation)
{
    Start();
    // Frame counts: 16 and the numbers filled from it have 20, 50 and those filled from it 30.
    const struct {
        const char *what;
        int32_t number;
        float life, fraction;
        int32_t fires, hit, sound;
        uint8_t flags;
        int32_t balls;
    } cases[] = {
        {"16", 16, 100, 0, 1, 10, 22, 0x01, 0},
        {"16 at its own fraction", 16, 100, 0.25f, 1, 5, 22, 0x01, 0},
        {"57 alive", 57, 100, 0, 1, 12, 0, 0x00, 0},
        {"57 dead", 57, 0, 0, 0, 0, 0, 0x00, 0},
        {"20: the last channel", 20, 100, 0, 1, 6, 22, 0x21, 0},
        {"28: a ball", 28, 100, 0, 1, 12, 19, 0x11, 1},
        {"31: a ball", 31, 100, 0, 1, 12, 18, 0x11, 1},
        {"33: a ball", 33, 100, 0, 1, 12, 19, 0x00, 1},
        {"54", 54, 100, 0, 1, 15, 21, 0x11, 0},
        {"12: no blow", 12, 100, 0, 0, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SND_StopAll();
        for (SND_Channel &channel : SND_Channels) {
            channel.handle = 0;
        }
        ClearProjectiles();
        FX_BallCount = 0;
        Ready(&actor, figure);
        actor.life = c.life;
        actor.hit_fraction = c.fraction;
        const std::vector<float> fired = Attack(c.number, 45);
        ASSERT_EQ(int32_t(fired.size()), c.fires);
        if (c.fires != 0) {
            EXPECT_GT(fired[0], float(c.hit));
            EXPECT_LE(fired[0], float(c.hit + 1));
            EXPECT_EQ(Channels_With(c.sound, c.flags), 1);
        }
        EXPECT_EQ(FX_BallCount, c.balls);
    }
}

TEST_F(AttackFrames, MenuActionOpensTheMenuHalfWay)
{
    Start();
    ANIM_MenuRequest = 1;
    actor.requested_anim = 24; // filled from 16: 20 frames
    float frame = 0;
    for (int k = 0; k < 30 && ANIM_MenuRequest != 0; k++) {
        frame = actor.frame_position;
        ACTOR_Step(&actor);
    }
    EXPECT_EQ(ANIM_MenuRequest, 0);
    EXPECT_GT(frame, 10.0f);
    EXPECT_LE(frame, 11.0f);
    EXPECT_EQ(Launched(), 0);
}

// ---- The frame's update and the actor step --------------------------------------------------------

struct Update : Figure {
    void TearDown() override
    {
        for (ActorRecord &a : ACTOR_Slots) {
            ACTOR_InitRecord(&a);
        }
        for (ActorRecord &p : ACTOR_Projectiles) {
            ACTOR_InitRecord(&p);
        }
        Figure::TearDown();
    }
};

TEST_F(Update, StepsAnimatedActorsAndMovesProjectiles)
{
    Write();
    const struct {
        const char *what;
        uint8_t f0, f1, f3;
        bool stepped;
    } slots[] = {
        {"an animated actor", ACTOR_F0_IN_USE, ACTOR_F1_HAS_ANIMS, 0, true},
        {"disabled", ACTOR_F0_IN_USE, ACTOR_F1_HAS_ANIMS, ACTOR_F3_DISABLED, false},
        {"without animations", ACTOR_F0_IN_USE, 0, 0, false},
        {"passed by", ACTOR_F0_IN_USE | ACTOR_F0_UNSTEPPED, ACTOR_F1_HAS_ANIMS, 0, false},
    };
    for (size_t i = 0; i < std::size(slots); i++) {
        ActorRecord &a = ACTOR_Slots[3 + i];
        Ready(&a, Clone_Obj(figure));
        a.flags[0] = slots[i].f0;
        a.flags[1] = uint8_t((a.flags[1] & ~ACTOR_F1_HAS_ANIMS) | slots[i].f1);
        a.flags[3] = slots[i].f3;
        a.heading_speed = 100;
    }
    // A flying projectile moves by its velocity and ages in its hit test; a thrown one ages.
    const struct {
        uint8_t f0, f1, f2, f3;
        double x;
        float life;
    } projectiles[] = {
        {ACTOR_F0_IN_USE, 0, ACTOR_F2_FLYING, 0, 5.0, 99.0f},
        {ACTOR_F0_IN_USE, ACTOR_F1_OBJECT, 0, 0, 0.0, 99.0f},
        {ACTOR_F0_IN_USE, ACTOR_F1_OBJECT, ACTOR_F2_FLYING, ACTOR_F3_DISABLED, 0.0, 100.0f},
        {0, ACTOR_F1_OBJECT, ACTOR_F2_FLYING, 0, 0.0, 100.0f},
    };
    for (const auto &p : projectiles) {
        SCOPED_TRACE(&p - projectiles);
        ActorRecord &q = ACTOR_Projectiles[5];
        ACTOR_InitRecord(&q);
        q.flags[0] = p.f0;
        q.flags[1] = p.f1;
        q.flags[2] = p.f2;
        q.flags[3] = p.f3;
        q.physics_mode = MIS_TYPE_SWORD; // flies straight on and hits nothing without a shooter
        if ((p.f1 & ACTOR_F1_OBJECT) == 0) {
            q.velocity[0] = 5.0f;
        }
        ANIM_UpdateActors();
        if ((p.f1 & ACTOR_F1_OBJECT) == 0) {
            EXPECT_EQ(q.position[0], p.x);
        }
        EXPECT_EQ(q.life, p.life);
    }
    // Four updates turn a stepped actor by 100 + 50 + 25 + 13.
    for (size_t i = 0; i < std::size(slots); i++) {
        EXPECT_EQ(ACTOR_Slots[3 + i].heading, slots[i].stepped ? 188 : 0)
            << slots[i].what;
    }
}

TEST_F(Figure, StepTurnsByTheSpeedsAndSlowsThem)
{
    Start();
    const struct {
        double factor;
        int32_t speed;
        std::vector<int32_t> speeds, headings;
    } cases[] = {
        {1.0, 100, {50, 25, 13, 7, 4, 0, 0}, {100, 150, 175, 188, 195, 199, 199}},
        {2.0, 100, {50, 25, 13, 0, 0}, {100, 150, 175, 188, 188}},
        {1.0, -100, {-50, -25, -12, -6, 0}, {3996, 3946, 3921, 3909, 3903}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "factor " << c.factor << " speed " << c.speed);
        GAME_TimeFactor = c.factor;
        Playing(&actor, 0, 2.0f);
        actor.heading = 0;
        actor.heading_speed = c.speed;
        for (size_t k = 0; k < c.speeds.size(); k++) {
            ACTOR_Step(&actor);
            EXPECT_EQ(actor.heading_speed, c.speeds[k]) << "frame " << k;
            EXPECT_EQ(actor.heading, c.headings[k]) << "frame " << k;
        }
    }
}

TEST_F(Figure, StepEasesTiltAndPitchBackByMode)
{
    Start();
    const struct {
        const char *what;
        int32_t mode, number, tilt, pitch, speed;
        int32_t tilt_after, pitch_after, speed_after;
    } cases[] = {
        {"ground: a quarter", 1, 0, 400, 400, 0, 300, 150, 0}, // pitch: relaxed to 200, then a quarter off
        {"ground, walking: a sixteenth", 1, 4, 400, 400, 0, 375, 188, 0},
        {"ground, leaning the other way", 1, 0, 4096 - 400, 0, 0, 4096 - 300, 0, 0},
        {"ground: the speeds stop", 1, 0, 400, 400, 40, 330, 165, 0},
        {"swimming: the tilt only", 2, 0, 400, 400, 0, 300, 400, 0},
        {"swimming: the speeds lose a quarter", 2, 0, 400, 400, 40, 330, 440, 30},
        {"in the air", 3, 0, 4096 - 400, 900, 0, 4096 - 300, 900, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Playing(&actor, c.number, 2.0f);
        actor.physics_mode = c.mode;
        actor.tilt = c.tilt;
        actor.pitch = c.pitch;
        actor.tilt_speed = actor.pitch_speed = c.speed;
        ACTOR_Step(&actor);
        EXPECT_EQ(actor.tilt, c.tilt_after);
        EXPECT_EQ(actor.pitch, c.pitch_after);
        EXPECT_EQ(actor.tilt_speed, c.speed_after);
        EXPECT_EQ(actor.pitch_speed, c.speed_after);
    }
}

// Toward a ground slope of 100: an actor to -100 by half, a flyer noses down by an eighth and up by
// half, the hero to 100 / 16 by half.
TEST(RelaxPitch, EasesTowardTheGroundSlopeByKind)
{
    const struct {
        const char *what;
        uint8_t hero, strong;
        int32_t mode, pitch, after;
    } cases[] = {
        {"an actor", 0, 0, 1, 0, 4096 - 50},
        {"an actor from below", 0, 0, 1, 4096 - 300, 4096 - 200},
        {"a flyer down", 0, ACTOR_F5_STRONG_TURN, 1, 0, 4096 - 12},
        {"a flyer up", 0, ACTOR_F5_STRONG_TURN, 1, 4096 - 300, 4096 - 200},
        {"the hero", ACTOR_F0_HERO, 0, 1, 0, 3},
        {"the hero from above", ACTOR_F0_HERO, 0, 1, 100, 53},
        {"a flying hero is a flyer", ACTOR_F0_HERO, ACTOR_F5_STRONG_TURN, 1, 0, 4096 - 12},
        {"not on the ground", 0, 0, 2, 300, 300},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ActorRecord a;
        ACTOR_InitRecord(&a);
        a.flags[0] = c.hero;
        a.flags[5] = c.strong;
        a.physics_mode = c.mode;
        a.ground_slope = 100;
        a.pitch = c.pitch;
        ACTOR_RelaxPitch(&a);
        EXPECT_EQ(a.pitch, c.after);
    }
}
