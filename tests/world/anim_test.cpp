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
#include "world/dan.h"

using namespace anim_test;

namespace {

constexpr double kTwoPi = 6.2831853071794;

bool Flag(const ActorRecord &a, int byte, uint8_t bit) { return (a.flags[byte] & bit) != 0; }

// Puts the actor in an animation that already plays (no fade, no first frame to come).
void Playing(ActorRecord *a, int32_t number, float frame, float speed = 1.0f)
{
    a->current_anim = number;
    a->requested_anim = -1;
    a->anim_handles[0] = a->anim_handles[1] = ANIM_Slots[a->anim_set][number].handle;
    a->frame_count = ANIM_FrameCount(a->anim_handles[0]);
    a->frame_position = frame;
    a->anim_speed = speed;
    a->flags[0] &= uint8_t(~(ACTOR_F0_ANIM_RESTART | ACTOR_F0_ANIM_RESTART2 | ACTOR_F0_ANIM_ENDED));
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
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        actor.flags[2] = uint8_t((c.own >= 0 ? ACTOR_F2_MOTION_SPEED : 0) | (c.locked ? ACTOR_F2_ACTION_HELD : 0));
        actor.motion_speed = c.own;
        actor.flags[4] = c.steering ? ACTOR_F4_PITCH_STEERING : 0;
        actor.flags[9] = c.immobile ? ACTOR_F9_KNOCKBACK : 0;
        actor.current_anim = 0;
        actor.heading_speed = 0;
        ANIM_DoAction(&actor, ANIM_TURN_LEFT);
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
