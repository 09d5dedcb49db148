// Projectiles: launching from animations and spell slots, paying, homing, the hit test's reach, the
// blows' damage, every power's effect, coupling, the end of a projectile and the thrown models.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine3d/image.h"
#include "engine3d/object.h"
#include "tests/support/scene_builder.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/weapon_models.h"
#include "tests/world/fight_fixture.h"
#include "world/ai.h"
#include "world/anim.h"
#include "world/elt.h"
#include "world/fgt_hit.h"
#include "world/flick.h"
#include "world/wpn.h"

namespace {

using fight_test::Bench;
using kalder_test::Fighter;

constexpr double Two_Pi = 6.2831853071794;
constexpr uint8_t Sword = ACTOR_F6_SWORD_CARRIED | ACTOR_F6_SWORD_DRAWN;
constexpr uint8_t Bow = ACTOR_F6_BOW_CARRIED | ACTOR_F6_BOW_DRAWN;

using Projectiles = Bench;

bool Hidden(const ActorRecord *p) { return (p->flags[4] & ACTOR_F4_MODEL_HIDDEN) != 0; }

TEST_F(Projectiles, TheLaunchReadsTheAnimationWeaponsAndSpellSlots)
{
    struct Case {
        const char *what;
        int32_t anim;
        uint8_t weapons, f5;
        std::array<std::array<int32_t, 2>, 3> spells;
        float gauge;
        int32_t type;
        float life, speed; // speed: the velocity over the launch offset
        bool shown;
        float gauge_after, level;
        const char *calls; // the lights asked for and the special objects shown
    };
    const Case cases[] = {
        {"stance blow", 16, 0, 0, {}, 50, MIS_TYPE_BLOW, 1, 1, false, 50, 0, ""},
        {"blow 21", 21, 0, 0, {}, 50, MIS_TYPE_BLOW, 1, 1, false, 50, 0, ""},
        {"blow 35", 35, 0, 0, {}, 50, MIS_TYPE_BLOW, 1, 1, false, 50, 0, ""},
        {"blows flying as arrows", 17, 0, ACTOR_F5_STRONG_TURN, {}, 50, MIS_TYPE_ARROW, 32, 4, true, 48, 0, "light "},
        {"fight blow 54", 54, 0, 0, {}, 50, MIS_TYPE_BLOW, 1, 1, false, 50, 0, ""},
        {"fight blow 56", 56, 0, 0, {}, 50, MIS_TYPE_BLOW, 1, 1, false, 50, 0, ""},
        {"58 with the bow", 58, Bow, 0, {}, 50, MIS_TYPE_ARROW, 32, 4, true, 48, 0, "light "},
        {"58 without the bow", 58, 0, 0, {}, 50, MIS_TYPE_FLAME, 1, 1, false, 49, 0, "light "},
        {"any other animation", 12, 0, 0, {}, 50, MIS_TYPE_FLAME, 1, 1, false, 49, 0, "light "},
        {"the second slot", 28, 0, 0, {{{0, 0}, {2, 0x1}, {0, 0}}}, 50, 0x1, 128, 1, true, 30, 2, ""},
        {"the third slot wins", 33, 0, 0, {{{1, 0x2}, {0, 0}, {3, MIS_TYPE_SLOW}}}, 50, MIS_TYPE_SLOW, 128, 1,
         true, 20, 3, ""},
        {"no slot set", 30, 0, 0, {}, 50, MIS_TYPE_FLAME, 128, 1, true, 49, 0, "light "},
        {"spirit", 29, 0, 0, {{{0, 0}, {1, MIS_TYPE_SPIRIT}, {0, 0}}}, 60, MIS_TYPE_SPIRIT, 512, 1, false, 10,
         1, "special object "},
        {"the special object", 29, 0, 0, {{{0, 0}, {1, MIS_TYPE_SHOW_VID}, {0, 0}}}, 60, MIS_TYPE_SHOW_VID,
         512, 1, false, 20, 1, "special object "},
        {"unpaid power above 0xFFFFFF fails", 28, 0, 0, {{{0, 0}, {1, MIS_TYPE_KNOWLEDGE}, {0, 0}}}, 10,
         MIS_TYPE_FAILED, 1, 1, true, 0, 1, ""},
        {"unpaid lower power lives a frame", 28, 0, 0, {{{0, 0}, {1, MIS_TYPE_FREEZE}, {0, 0}}}, 5,
         MIS_TYPE_FREEZE, 1, 1, true, 0, 1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        kalder_test::FightScene::EndAll();
        Fighter f;
        f.x = 100.0;
        f.z = -50.0;
        f.heading = 512;
        f.anim = c.anim;
        f.weapons = c.weapons;
        f.spells = c.spells;
        f.gauge = c.gauge;
        ActorRecord *shooter = A(f);
        shooter->flags[5] = c.f5;
        Forget();
        ASSERT_EQ(MIS_Fire(shooter), 0);
        const ActorRecord &p = ACTOR_Projectiles[0];
        std::string calls;
        for (int32_t i = 0; i < FLICK_CreateCalls; i++) {
            calls += "light ";
        }
        for (int32_t i = 0; i < SPC_ShowVidCalls; i++) {
            calls += "special object ";
        }
        EXPECT_EQ(calls, c.calls);
        if (FLICK_CreateCalls > 0) {
            EXPECT_EQ(FLICK_LastCreate.actor, &p);
            EXPECT_EQ(FLICK_LastCreate.type, 1);
            EXPECT_EQ(FLICK_LastCreate.range, 1000);
        }
        if (SPC_ShowVidCalls > 0) {
            EXPECT_EQ(SPC_LastShowVid, shooter);
        }
        EXPECT_EQ(p.physics_mode, c.type);
        EXPECT_EQ(p.life, c.life);
        EXPECT_EQ(p.leader, shooter);
        EXPECT_EQ(ACTOR_FlagWord(&p) & 0xFFFF00FF, MIS_WORD_IN_USE | MIS_WORD_FLYING);
        EXPECT_EQ(Hidden(&p), !c.shown);
        EXPECT_EQ(shooter->second_gauge, c.gauge_after);
        EXPECT_EQ(p.spell_level, c.level);
        const double a = double(4096 - 512) * Two_Pi / 4096.0;
        EXPECT_NEAR(p.velocity[0], c.speed * 135.0 * std::cos(a), 1e-3);
        EXPECT_NEAR(p.velocity[2], c.speed * 135.0 * std::sin(a), 1e-3);
        // Every type but the blow has moved once by its velocity.
        const double moves = c.type == MIS_TYPE_BLOW ? 0.0 : 1.0;
        EXPECT_NEAR(p.position[0], 100.0 + 135.0 * std::cos(a) + moves * p.velocity[0], 1e-3);
        EXPECT_NEAR(p.position[1], -60.0 + moves * p.velocity[1], 1e-3);
        EXPECT_EQ(p.coupled, nullptr);
    }
}

TEST_F(Projectiles, Blow23StartsOneOffsetFurtherAndTheTeamBitComesFromTheShooter)
{
    Fighter f;
    f.anim = 23;
    f.team = true;
    ActorRecord *shooter = A(f);
    ASSERT_EQ(MIS_Fire(shooter), 0);
    const ActorRecord &p = ACTOR_Projectiles[0];
    EXPECT_NEAR(p.position[0], 270.0, 1e-9);
    EXPECT_EQ(ACTOR_FlagWord(&p) & ACTOR_WORD_TEAM, ACTOR_WORD_TEAM);
}

TEST_F(Projectiles, SwordAndBowPowersDrawTheWeaponAndSetTheirLevel)
{
    struct Case {
        int32_t type;
        uint8_t carried, drawn;
        int32_t *level;
    };
    for (const Case c : {Case{MIS_TYPE_SWORD, ACTOR_F6_SWORD_CARRIED, ACTOR_F6_SWORD_DRAWN, &MIS_SwordLevel},
                         Case{MIS_TYPE_BOW, ACTOR_F6_BOW_CARRIED, ACTOR_F6_BOW_DRAWN, &MIS_BowLevel}}) {
        SCOPED_TRACE(c.type);
        kalder_test::FightScene::EndAll();
        Fighter f;
        f.anim = 31;
        f.weapons = c.carried;
        f.spells[1] = {3, c.type};
        scene->Set(0, f);
        ASSERT_EQ(MIS_Fire(hero), 0);
        EXPECT_EQ(ACTOR_Projectiles[0].life, 1.0f);
        EXPECT_EQ(*c.level, 3);
        EXPECT_NE(hero->flags[6] & c.drawn, 0);
    }
}

TEST_F(Projectiles, ASeventeenthLaunchFindsNoSlotAndChangesNothing)
{
    Fighter f;
    f.anim = 28;
    f.spells[1] = {1, MIS_TYPE_FREEZE};
    f.gauge = 1000.0f;
    ActorRecord *shooter = A(f);
    for (int32_t i = 0; i < ACTOR_PROJECTILE_COUNT; i++) {
        ASSERT_EQ(MIS_Fire(shooter), i);
    }
    const float gauge = shooter->second_gauge;
    EXPECT_EQ(MIS_Fire(shooter), -1);
    EXPECT_EQ(shooter->second_gauge, gauge);
    EXPECT_EQ(kalder_test::FightScene::InFlight(), 16);
}

TEST_F(Projectiles, AReusedSlotForgetsThePreviousTarget)
{
    Fighter f;
    f.anim = 28;
    f.spells[1] = {1, MIS_TYPE_FREEZE};
    ActorRecord *shooter = A(f);
    Fighter far;
    far.team = true;
    far.z = 3000.0;
    ActorRecord *old = B(far);
    ActorRecord &p = ACTOR_Projectiles[0];
    p.enemies[0] = old;
    p.enemy_count = 1;
    p.spell_level = 7.0f;
    ASSERT_EQ(MIS_Fire(shooter), 0);
    // Heading 0 shoots along +x; homing on the old target would have given it a z speed.
    EXPECT_NEAR(p.velocity[2], 0.0f, 1e-6);
    EXPECT_EQ(p.enemy_count, 0);
    EXPECT_EQ(p.spell_level, 1.0f);
}

TEST_F(Projectiles, InvisibilityIsLentOnceAndGivenBackByTheCastThatLentIt)
{
    Fighter f;
    f.anim = 28;
    f.spells[1] = {1, MIS_TYPE_INVISIBLE};
    f.gauge = 100.0f;
    ActorRecord *shooter = A(f);
    // A textured body whose faces hold what the transparent type reads, and back.
    kalder_test::MemFiles_SetAnyMaterial(kalder_test::CheckerMaterialFile());
    kalder_test::MemFiles_Add("body.3dc", kalder_test::HierarchyImage({kalder_test::MeshObject("BODY", -1, {0, 0, 0},
                                                                                  kalder_test::CubeMesh(40), 18, "SKIN")},
                                                         {{"SKIN", "skin", 0}})
                                              .Finish()
                                              .bytes);
    shooter->node = Load_Obj("body.3dc");
    int32_t before = 0;
    ASSERT_EQ(Get_First_Prim_Type(shooter->node, &before), 0);
    ASSERT_EQ(before, 18);
    ASSERT_EQ(MIS_Fire(shooter), 0);
    ActorRecord &first = ACTOR_Projectiles[0];
    EXPECT_EQ(first.life, 512.0f);
    EXPECT_NE(shooter->flags[9] & ACTOR_F9_INVISIBLE, 0);
    EXPECT_NE(shooter->flags[5] & ACTOR_F5_NOT_TARGET, 0);
    int32_t now = 0;
    Get_First_Prim_Type(shooter->node, &now);
    EXPECT_EQ(now, 2);
    EXPECT_TRUE(Hidden(&first));

    // A second cast while invisible: a shorter life, and its end leaves the invisibility alone.
    ASSERT_EQ(MIS_Fire(shooter), 1);
    ActorRecord &second = ACTOR_Projectiles[1];
    EXPECT_EQ(second.life, 128.0f);
    second.life = 0.0f;
    MIS_CheckHits(&second);
    EXPECT_NE(shooter->flags[9] & ACTOR_F9_INVISIBLE, 0);
    Get_First_Prim_Type(shooter->node, &now);
    EXPECT_EQ(now, 2);

    first.life = 0.0f;
    MIS_CheckHits(&first);
    EXPECT_EQ(shooter->flags[9] & ACTOR_F9_INVISIBLE, 0);
    EXPECT_EQ(shooter->flags[5] & ACTOR_F5_NOT_TARGET, 0);
    Get_First_Prim_Type(shooter->node, &now);
    EXPECT_EQ(now, before);
    EXPECT_EQ(ACTOR_FlagWord(&first), 0u);
}

TEST_F(Projectiles, TheLaunchPointLiesARadiusAlongHeadingAndPitch)
{
    for (int32_t heading : {0, 1024, 2048, 3072}) {
        for (int32_t pitch : {0, 512, -512}) {
            SCOPED_TRACE(std::to_string(heading) + " " + std::to_string(pitch));
            ActorRecord shooter{};
            shooter.position[0] = 1000.0;
            shooter.position[1] = -200.0;
            shooter.position[2] = 50.0;
            shooter.heading = heading;
            shooter.pitch = pitch;
            shooter.radius = 135;
            ActorRecord p{};
            MIS_CompLaunchPos(&shooter, &p);
            const double a = double(4096 - heading) * Two_Pi / 4096.0, b = double(pitch) * Two_Pi / 4096.0;
            const double v[3] = {135.0 * std::cos(b) * std::cos(a), 135.0 * std::sin(b), 135.0 * std::cos(b) * std::sin(a)};
            for (int i = 0; i < 3; i++) {
                EXPECT_EQ(p.velocity[i], float(v[i]));
            }
            EXPECT_EQ(p.position[0], 1000.0 + v[0]);
            EXPECT_EQ(p.position[1], -200.0 + v[1] - 60.0);
            EXPECT_EQ(p.position[2], 50.0 + v[2]);
        }
    }
}

TEST_F(Projectiles, HomingClampsEachAxisAndStepsASixteenth)
{
    struct Case {
        const char *what;
        int32_t type;
        bool ally, bow;
        int32_t bow_level;
        double factor;
        float vx, vz; // after one move from (10, 0, 0), target at (+1000, 0, +5)
    };
    const Case cases[] = {
        {"an opponent", MIS_TYPE_FREEZE, false, false, 0, 1.0, float(10 + (20 - 10) * 0.0625), float(5 * 0.0625)},
        {"twice the time factor", MIS_TYPE_FREEZE, false, false, 0, 2.0, float(10 + (40 - 10) * 0.0625), float(5 * 0.0625)},
        {"the bow drawn at level 3", MIS_TYPE_ARROW, false, true, 3, 1.0, float(10 + (30 - 10) * 0.0625), float(5 * 0.0625)},
        {"an ally for a helping power", MIS_TYPE_HEAL, true, false, 0, 1.0, float(10 + (20 - 10) * 0.0625), float(5 * 0.0625)},
        {"no ally homing below 0x10000", MIS_TYPE_FREEZE, true, false, 0, 1.0, 10.0f, 0.0f},
        {"no homing above 0xFFFFFF", MIS_TYPE_SLOW, false, false, 0, 1.0, 10.0f, 0.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GAME_TimeFactor = c.factor;
        MIS_BowLevel = c.bow_level;
        Fighter f;
        f.weapons = c.bow ? Bow : 0;
        ActorRecord *shooter = A(f);
        Fighter t;
        t.x = 1000.0;
        t.z = 5.0;
        ActorRecord *target = B(t);
        ActorRecord *p = Projectile(c.type, shooter, 0, 0, 0);
        (c.ally ? p->allies : p->enemies)[0] = target;
        (c.ally ? p->ally_count : p->enemy_count) = 1;
        MIS_Move(p);
        EXPECT_FLOAT_EQ(p->velocity[0], c.vx);
        EXPECT_FLOAT_EQ(p->velocity[2], c.vz);
        EXPECT_DOUBLE_EQ(p->position[0], double(p->velocity[0]));
    }
    GAME_TimeFactor = 1.0;
}

TEST_F(Projectiles, ThePushStandsStillTheBlowDoesNotMoveAndACoupledObjectCarries)
{
    Fighter f;
    ActorRecord *shooter = A(f);
    ActorRecord *p = Projectile(MIS_TYPE_PUSH, shooter, 5, 0, 0);
    MIS_Move(p);
    EXPECT_EQ(p->velocity[0], 0.0f);
    EXPECT_EQ(p->position[0], 5.0);
    p = Projectile(MIS_TYPE_BLOW, shooter, 5, 0, 0);
    MIS_Move(p);
    EXPECT_EQ(p->velocity[0], 10.0f);
    EXPECT_EQ(p->position[0], 5.0);

    Fighter o;
    o.x = 400.0;
    ActorRecord *object = B(o);
    p = Projectile(MIS_TYPE_SPIRIT, shooter, 5, 0, 0);
    p->coupled = object;
    MIS_Move(p);
    EXPECT_EQ(p->position[0], 400.0);
    EXPECT_EQ(p->life, 10.0f);
    CTRL_Controls[CTRL_K2] = CTRL_HELD | CTRL_CHANGED;
    MIS_Move(p);
    EXPECT_EQ(p->life, 0.0f) << "a fresh k2 ends it";
}

// ---- The hit test ----

struct HitCase {
    const char *what;
    int32_t type;
    int32_t shooter_radius, victim_radius;
    double x, y, z; // the victim, from the shooter and the projectile at the origin
    bool same_team, sword;
    bool hit;
};

TEST_F(Projectiles, TheHitTestsReachHeightRadiiFactorsAndWindow)
{
    const double s = std::sin(0.6), co = std::cos(0.6), s7 = std::sin(0.7), c7 = std::cos(0.7);
    const HitCase cases[] = {
        {"reach 30 plus the radius: inside", MIS_TYPE_BLOW, 135, 135, 164, 0, 0, false, false, true},
        {"reach 30 plus the radius: outside", MIS_TYPE_BLOW, 135, 135, 166, 0, 0, false, false, false},
        {"the sword's reach 300", MIS_TYPE_BLOW, 135, 135, 434, 0, 0, false, true, true},
        {"beyond the sword's reach", MIS_TYPE_BLOW, 135, 135, 436, 0, 0, false, true, false},
        {"the height adds at most 80: inside", MIS_TYPE_BLOW, 135, 135, 220, 100, 0, false, false, true},
        {"the height adds at most 80: outside", MIS_TYPE_BLOW, 135, 135, 225, 100, 0, false, false, false},
        {"radii below 120 add reach", MIS_TYPE_BLOW, 100, 150, 199, 0, 0, false, false, true},
        {"radii below 120 add reach: outside", MIS_TYPE_BLOW, 100, 150, 201, 0, 0, false, false, false},
        // A small enemy (reach 140, limit 150) is hit at every distance up to the limit.
        {"a small enemy at 99", MIS_TYPE_BLOW, 135, 10, 99, 0, 0, false, false, true},
        {"a small enemy at 110", MIS_TYPE_BLOW, 135, 10, 110, 0, 0, false, false, true},
        {"a small enemy at 121", MIS_TYPE_BLOW, 135, 10, 121, 0, 0, false, false, true},
        {"a small enemy at 130", MIS_TYPE_BLOW, 135, 10, 130, 0, 0, false, false, true},
        {"a small enemy at 141", MIS_TYPE_BLOW, 135, 10, 141, 0, 0, false, false, true},
        {"a small enemy at 149.5", MIS_TYPE_BLOW, 135, 10, 149.5, 0, 0, false, false, true},
        {"a small enemy at 150.5", MIS_TYPE_BLOW, 135, 10, 150.5, 0, 0, false, false, false},
        {"a blow off the window", MIS_TYPE_BLOW, 100, 100, 150 * co, 0, 150 * s, false, false, false},
        {"off the other side", MIS_TYPE_BLOW, 100, 100, 150 * co, 0, -150 * s, false, false, false},
        {"large radii narrow the bearing", MIS_TYPE_BLOW, 135, 135, 150 * co, 0, 150 * s, false, false, true},
        {"the bolt uses the window too", 0x1, 100, 100, 150 * co, 0, 150 * s, false, false, false},
        {"a push ignores the bearing", MIS_TYPE_PUSH, 100, 100, 150 * co, 0, 150 * s, false, false, true},
        // Below 140 the bearing counts x 0.8 (0.6 comes within pi/6, 0.7 does not), below 100 x 0.64.
        {"below 140 the window widens", MIS_TYPE_BLOW, 100, 10, 139 * co, 0, 139 * s, false, false, true},
        {"below 140: 0.7 is still outside", MIS_TYPE_BLOW, 100, 10, 139 * c7, 0, 139 * s7, false, false, false},
        {"at 140.5 it does not", MIS_TYPE_BLOW, 100, 10, 140.5 * co, 0, 140.5 * s, false, false, false},
        {"below 100 it widens again", MIS_TYPE_BLOW, 100, 10, 99 * c7, 0, 99 * s7, false, false, true},
        {"at 100.5: 0.7 x 0.8 is outside", MIS_TYPE_BLOW, 100, 10, 100.5 * c7, 0, 100.5 * s7, false, false, false},
        {"an arrow strikes within the same reach", MIS_TYPE_ARROW, 135, 135, 164, 0, 0, false, false, true},
        {"no opponent: an ally within 100", MIS_TYPE_BLOW, 135, 135, 244, 0, 0, true, false, true},
        {"no opponent: an ally beyond", MIS_TYPE_BLOW, 135, 135, 246, 0, 0, true, false, false},
        {"no opponent: an ally within the sword's 300", MIS_TYPE_BLOW, 135, 135, 444, 0, 0, true, true, true},
        {"a helping power reaches an ally within half its radius and 100", MIS_TYPE_HEAL, 135, 135, 166, 0, 0, true,
         false, true},
        {"beyond", MIS_TYPE_HEAL, 135, 135, 168, 0, 0, true, false, false},
        {"a helping power ignores opponents", MIS_TYPE_HEAL, 135, 135, 10, 0, 0, false, false, false},
        {"an area power reaches an ally within 300", MIS_TYPE_SHOW_VID + 0x10, 135, 135, 366, 0, 0, true, false, true},
    };
    for (const HitCase &c : cases) {
        SCOPED_TRACE(c.what);
        Fighter f;
        f.radius = c.shooter_radius;
        f.weapons = c.sword ? Sword : 0;
        ActorRecord *shooter = A(f);
        Fighter v;
        v.radius = c.victim_radius;
        v.x = c.x;
        v.y = c.y;
        v.z = c.z;
        v.team = !c.same_team;
        ActorRecord *victim = B(v);
        ActorRecord *p = Projectile(c.type, shooter, 0, 0, 0);
        Forget();
        MIS_CheckHits(p);
        // A struck victim lights up under a blow, a bolt or a push; an arrow carries its own light, and
        // the helping and area powers have none.
        EXPECT_EQ(FLICK_CreateCalls, c.hit && c.type <= 0xFFFF && c.type != MIS_TYPE_ARROW ? 1 : 0);
        if (FLICK_CreateCalls > 0) {
            EXPECT_EQ(FLICK_LastCreate.actor, p);
            EXPECT_EQ(FLICK_LastCreate.type, 1);
            EXPECT_EQ(FLICK_LastCreate.range, 1000);
        }
        if (c.type == MIS_TYPE_HEAL) {
            EXPECT_EQ(victim->life, c.hit ? 120.0f : 100.0f);
        } else if (c.type == MIS_TYPE_SHOW_VID + 0x10) {
            EXPECT_EQ(p->life, c.hit ? 9.0f : 9.0f) << "no effect: it flies on";
        } else {
            EXPECT_EQ(victim->life < 100.0f, c.hit);
        }
        EXPECT_EQ(p->life, c.hit && c.type != MIS_TYPE_SHOW_VID + 0x10 ? -1.0f : 9.0f);
    }
}

TEST_F(Projectiles, AnAllyStruckByABlowMayForgetWhoStruckIt)
{
    for (const bool forgets : {false, true}) {
        SCOPED_TRACE(forgets);
        Fighter f;
        ActorRecord *shooter = A(f);
        Fighter v;
        v.x = 150.0;
        ActorRecord *ally = B(v);
        ally->flags[6] = forgets ? ACTOR_F6_NO_SPEED_UP : 0;
        ally->last_attacker = hero;
        MIS_CheckHits(Projectile(MIS_TYPE_BLOW, shooter, 0, 0, 0));
        EXPECT_EQ(ally->last_attacker, forgets ? nullptr : shooter);
    }
}

TEST_F(Projectiles, TheFlamePassesTheEnemiesItKillsAndStopsAtTheFirstSurvivor)
{
    Fighter f;
    f.strength = 30.0f;
    ActorRecord *shooter = A(f);
    Fighter a;
    a.x = 300.0;
    a.life = 20.0f;
    a.team = true;
    ActorRecord *weak = B(a);
    Fighter b = a;
    b.x = 600.0;
    b.life = 100.0f;
    ActorRecord *strong = scene->Set(1, b);
    Fighter c = a;
    c.x = 900.0;
    ActorRecord *last = scene->Set(0, c);
    shooter->enemies[0] = weak;
    shooter->enemies[1] = strong;
    shooter->enemies[2] = last;
    shooter->enemy_count = 3;
    MIS_CheckHits(Projectile(MIS_TYPE_FLAME, shooter, 0, 0, 0));
    EXPECT_EQ(weak->life, 0.0f);
    EXPECT_EQ(strong->life, 70.0f);
    EXPECT_EQ(last->life, 20.0f);
}

// ---- Blow damage ----

TEST_F(Projectiles, HeroBlowsDealTheirAnimationsDamageOnce)
{
    struct Case {
        int32_t anim;
        uint8_t weapons;
        int32_t sword_level;
        float lost;
        int32_t hits, pushes; // the hero's blows landed, each posting 'E'; the pushes, each with 8 sparks
    };
    const Case cases[] = {
        {16, 0, 0, 30, 1, 1}, {17, 0, 0, 30, 1, 1}, {20, 0, 0, 30, 1, 1}, {18, 0, 0, 25, 1, 1},
        {21, 0, 0, 25, 1, 1}, {56, 0, 0, 30, 1, 1}, {54, 0, 0, 40, 1, 1}, {19, 0, 0, 70, 2, 1},
        {22, 0, 0, 20, 1, 1}, {55, 0, 0, 20, 1, 1},
        // The sword drawn at level 2: two more pushes, and two more hits of 10 with the fight blows.
        {55, Sword, 2, 40, 3, 3}, {16, Sword, 2, 30, 1, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.anim);
        kalder_test::FightScene::EndAll();
        MIS_SwordLevel = c.sword_level;
        Fighter h;
        h.anim = c.anim;
        h.weapons = c.weapons;
        scene->Set(0, h);
        Fighter v;
        v.x = 250.0;
        v.team = true;
        v.life = 500.0f;
        ActorRecord *victim = B(v);
        Forget();
        ASSERT_EQ(MIS_Fire(hero), 0);
        for (int frame = 0; frame < 3; frame++) {
            kalder_test::FightScene::StepProjectiles();
        }
        EXPECT_EQ(victim->life, 500.0f - c.lost);
        EXPECT_EQ(kalder_test::FightScene::InFlight(), 0);
        std::string hits;
        for (int32_t i = 0; i < c.hits; i++) {
            hits += "E0,0 ";
        }
        EXPECT_EQ(MenuEvents(), hits);
        EXPECT_EQ(fx_recorder::Seen().sparks, 8 * c.pushes);
        EXPECT_EQ(fx_recorder::Seen().last_sparks, victim);
    }
}

TEST_F(Projectiles, ACreaturesBlowDealsItsStrengthTruncated)
{
    Fighter f;
    f.anim = 16;
    f.strength = 33.7f;
    ActorRecord *shooter = A(f);
    Fighter v;
    v.x = 250.0;
    v.team = true;
    ActorRecord *victim = B(v);
    ASSERT_EQ(MIS_Fire(shooter), 0);
    kalder_test::FightScene::StepProjectiles();
    EXPECT_EQ(victim->life, 67.0f);
    EXPECT_EQ(victim->hit_tint[0], 64) << "camp 1's tint";
    EXPECT_EQ(MenuEvents(), "") << "only the hero's blows tell the menus";
}

// ---- The powers ----

struct EffectCase {
    const char *what;
    int32_t type;
    float life_before;
    int32_t anim_before;
    bool victim_team;
    // after
    float life, gauge, slow_time, slow_factor;
    std::array<int32_t, 3> tint;
    std::array<int32_t, 3> screen;
    bool team, ends;
    int32_t sparks;
    int32_t bow = 0; // the shooter's bow drawn at this level
};

TEST_F(Projectiles, EveryPowerTakesItsEffect)
{
    const EffectCase cases[] = {
        {"freeze", MIS_TYPE_FREEZE, 100, 0, true, 100, 50, 2000, 0.01f, {64, 0, 0}, {0, 0, 0}, true, true, 0},
        {"gauge", MIS_TYPE_GAUGE, 100, 0, true, 100, 70, 0, 1, {0, 0, 0}, {0, 0, 0}, true, true, 0},
        {"gauge of an ally", MIS_TYPE_GAUGE_ALLY, 100, 0, false, 100, 70, 0, 1, {0, 0, 0}, {0, 0, 0}, false, true, 0},
        {"camp change", MIS_TYPE_CAMP, 100, 0, true, 100, 50, 0, 1, {92, 92, 112}, {0, 0, 0}, false, true, 0},
        {"raise the dead", MIS_TYPE_RAISE, 0, ANIM_DEATH, true, 100, 50, 0, 1, {112, 92, 92}, {0, 0, 0}, true, true, 0},
        {"raise the living: nothing", MIS_TYPE_RAISE_ALLY, 60, 0, false, 60, 50, 0, 1, {0, 0, 0}, {0, 0, 0},
         false, false, 0},
        {"push", MIS_TYPE_PUSH, 150, 0, true, 50, 50, 0, 1, {64, 0, 0}, {0, 0, 0}, true, true, 8},
        {"arrow", MIS_TYPE_ARROW, 100, 0, true, 90, 50, 0, 1, {64, 0, 0}, {0, 0, 0}, true, true, 8},
        {"arrow with the bow drawn at level 3: three more hits of 3", MIS_TYPE_ARROW, 100, 0, true, 81, 50, 0, 1,
         {64, 0, 0}, {0, 0, 0}, true, true, 32, 3},
        {"flame of strength 20", MIS_TYPE_FLAME, 100, 0, false, 80, 50, 0, 1, {-64, -64, -8}, {0, 0, 0}, false,
         true, 9},
        {"heal", MIS_TYPE_HEAL, 50, 0, false, 70, 50, 0, 1, {0, 16, 64}, {0, 0, 0}, false, true, 0},
        {"flight", MIS_TYPE_FLIGHT, 100, 0, false, 100, 50, 0, 1, {0, 0, 0}, {21, 127, 127}, false, true, 0},
        {"self heal at level 2", MIS_TYPE_HEAL_SELF, 50, 0, false, 94, 50, 0, 1, {0, 0, 0}, {0, 0, 0}, false, true, 0},
        {"sacrifice", MIS_TYPE_SACRIFICE, 100, 0, false, 80, 80, 0, 1, {0, 0, 0}, {0, 0, 0}, false, true, 4},
        {"speed", MIS_TYPE_SPEED, 100, 0, false, 100, 50, 1000, 2, {0, 0, 0}, {0, 0, 0}, false, true, 0},
        {"failed cast", MIS_TYPE_FAILED, 100, 0, false, 100, 50, 0, 1, {0, 0, 0}, {0, 0, 0}, false, true, 0},
        {"the sword power flies on", MIS_TYPE_SWORD, 100, 0, true, 100, 50, 0, 1, {0, 0, 0}, {0, 0, 0}, true, false, 0},
        {"invisibility flies on", MIS_TYPE_INVISIBLE, 100, 0, true, 100, 50, 0, 1, {0, 0, 0}, {0, 0, 0}, true,
         false, 0},
    };
    for (const EffectCase &c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(TEX_Shading.tint, 0, sizeof TEX_Shading.tint);
        Fighter f;
        f.weapons = c.bow > 0 ? Bow : 0;
        MIS_BowLevel = c.bow;
        ActorRecord *shooter = A(f);
        Fighter v;
        v.x = 300.0;
        v.team = c.victim_team;
        v.life = c.life_before;
        v.gauge = 50.0f;
        v.anim = c.anim_before;
        ActorRecord *victim = B(v);
        victim->slow_factor = 1.0f;
        victim->flags[2] |= ACTOR_F2_ACTION_HELD;
        ActorRecord *p = Projectile(c.type, shooter, 0, 0, 0);
        p->spell_level = 2.0f;
        Forget();
        MIS_ApplyHit(p, victim);
        // Sparks fly from a push (8), a flame (its push and 1) and damage (4); no power hangs a glow ball.
        EXPECT_EQ(fx_recorder::Seen().sparks, c.sparks);
        EXPECT_EQ(fx_recorder::Seen().last_sparks, c.sparks > 0 ? victim : nullptr);
        EXPECT_EQ(FX_BallCount, 0);
        EXPECT_EQ(victim->life, c.life);
        EXPECT_EQ(victim->second_gauge, c.gauge);
        EXPECT_EQ(victim->slow_time, c.slow_time);
        EXPECT_EQ(victim->slow_factor, c.slow_factor);
        EXPECT_EQ(std::vector<int32_t>(victim->hit_tint, victim->hit_tint + 3),
                  std::vector<int32_t>(c.tint.begin(), c.tint.end()));
        EXPECT_EQ(std::vector<int32_t>(TEX_Shading.tint, TEX_Shading.tint + 3),
                  std::vector<int32_t>(c.screen.begin(), c.screen.end()));
        EXPECT_EQ((victim->flags[1] & ACTOR_F1_TEAM) != 0, c.team);
        EXPECT_EQ(p->life == 0.0f, c.ends);
        if (c.type == MIS_TYPE_FLIGHT) {
            EXPECT_NE(victim->flags[3] & ACTOR_F3_TAKE_OFF, 0);
        }
        if (c.type == MIS_TYPE_RAISE) {
            EXPECT_EQ(victim->current_anim, ANIM_IDLE);
            EXPECT_EQ(victim->flags[2] & ACTOR_F2_ACTION_HELD, 0);
        }
    }
}

TEST_F(Projectiles, TheTimePowersSlowEveryoneButTheirCaster)
{
    struct Case {
        int32_t type;
        float factor;
        int32_t screen;
    };
    for (const Case c : {Case{MIS_TYPE_SLOW, 0.3f, 8}, Case{MIS_TYPE_FREEZE_ALL, 0.01f, 16}}) {
        SCOPED_TRACE(c.type);
        Fighter f;
        ActorRecord *caster = A(f);
        caster->slow_time = 0.0f;
        Fighter o;
        o.x = 3000.0;
        ActorRecord *other = B(o);
        ActorRecord *p = Projectile(c.type, caster, 0, 0, 0);
        MIS_CheckHits(p);
        EXPECT_EQ(caster->slow_time, 0.0f);
        EXPECT_EQ(other->slow_time, 2000.0f);
        EXPECT_EQ(other->slow_factor, c.factor);
        EXPECT_EQ(hero->slow_time, 2000.0f);
        EXPECT_EQ(TEX_Shading.tint[0], c.screen);
        EXPECT_EQ(p->life, -1.0f) << "spent in its frame";
        // Without a caster it does nothing.
        other->slow_time = 0.0f;
        MIS_CheckHits(Projectile(c.type, nullptr, 0, 0, 0));
        EXPECT_EQ(other->slow_time, 0.0f);
    }
}

// The hero at the origin with 50 of gauge, coupled to nothing: the caster of the coupling rows.
void Uncoupled_Hero(kalder_test::FightScene &scene)
{
    Fighter h;
    h.gauge = 50.0f;
    ActorRecord *hero = scene.Set(0, h);
    hero->coupled = nullptr;
    hero->coupling_time = 0;
}

TEST_F(Projectiles, SpiritCouplingTakesAWeakerCreatureOnly)
{
    struct Case {
        const char *what;
        float victim_gauge;
        uint8_t f1, f7;
        bool already;
        bool couples;
    };
    const Case cases[] = {
        {"a weaker creature", 40, 0, 0, false, true},
        {"as strong", 50, 0, 0, false, true},
        {"stronger", 60, 0, 0, false, false},
        {"with symbol data", 10, ACTOR_F1_SYMBOLS, 0, false, false},
        {"unstruck", 10, 0, ACTOR_F7_UNSTRUCK, false, false},
        {"the hero already coupled", 10, 0, 0, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Uncoupled_Hero(*scene);
        Fighter v;
        v.x = 300.0;
        v.team = true;
        v.gauge = c.victim_gauge;
        ActorRecord *victim = B(v);
        victim->flags[1] |= c.f1;
        victim->flags[7] = c.f7;
        ActorRecord *other = scene->Actor(2);
        if (c.already) {
            hero->coupled = other;
        }
        AI_BuildGroups();
        const auto member = [victim] {
            return std::find(AI_MemberList, AI_MemberList + AI_MemberCount, victim) != AI_MemberList + AI_MemberCount;
        };
        ASSERT_TRUE(member());
        ActorRecord *p = Projectile(MIS_TYPE_SPIRIT, hero, 0, 0, 0);
        Forget();
        MIS_ApplyHit(p, victim);
        EXPECT_EQ(hero->coupled, c.couples ? victim : (c.already ? other : nullptr));
        EXPECT_EQ(member(), !c.couples) << "a coupled creature leaves the AI";
        EXPECT_EQ(hero->coupling_time, c.couples ? 2000 : 0);
        EXPECT_EQ(p->life, c.couples ? 0.0f : 10.0f);
        // The glow ball marks every creature the power touches; the camera turns to follow the hero's
        // steered creature only when a coupling is made.
        EXPECT_EQ(FX_BallCount, 1);
        EXPECT_EQ(FX_LastBall.kind, 2);
        EXPECT_EQ(FX_LastBall.actor, victim);
        EXPECT_EQ(CameraSubject(), c.couples ? victim : nullptr);
        if (c.couples) {
            // Hitting the coupled creature again lets it go, and the camera comes back to the hero.
            p = Projectile(MIS_TYPE_SPIRIT, hero, 0, 0, 0);
            Forget();
            MIS_ApplyHit(p, victim);
            EXPECT_EQ(hero->coupled, nullptr);
            EXPECT_EQ(p->life, 0.0f);
            EXPECT_EQ(FX_BallCount, 1);
            EXPECT_EQ(FX_LastBall.actor, victim);
            EXPECT_EQ(CameraSubject(), hero);
        }
    }
}

// The area powers' opponent half: the nearest opponent within half the two radii and 300 is struck (the
// hero's allies stand far away, so the ally half finds none in reach).
TEST_F(Projectiles, AnAreaPowerStrikesTheNearestOpponentWithinItsReach)
{
    for (const double x : {434.0, 436.0}) {
        SCOPED_TRACE(x);
        Uncoupled_Hero(*scene);
        Fighter far;
        far.x = 6000.0;
        scene->Set(1, far);
        far.z = 6000.0;
        A(far);
        Fighter v;
        v.x = x;
        v.team = true;
        v.gauge = 10.0f;
        ActorRecord *victim = B(v);
        AI_BuildGroups();
        MIS_CheckHits(Projectile(MIS_TYPE_SPIRIT, hero, 0, 0, 0));
        EXPECT_EQ(hero->coupled, x < 435.0 ? victim : nullptr);
    }
}

TEST_F(Projectiles, ASpentProjectileGivesBackWhatItHeldAndDoesNothingElseThatFrame)
{
    struct Case {
        const char *what;
        int32_t type;
        bool by_hero;
        // after
        bool gun_hidden;         // the hero's gun, in hand and shown before
        int32_t special_hidden;  // the special object hidden
    };
    const Case cases[] = {
        {"a creature's arrow", MIS_TYPE_ARROW, false, false, 0},
        {"a creature's special object", MIS_TYPE_SHOW_VID, false, false, 1},
        {"a creature's spirit coupling", MIS_TYPE_SPIRIT, false, false, 1},
        {"the hero's blow", MIS_TYPE_BLOW, true, true, 0},
        {"the hero's flame", MIS_TYPE_FLAME, true, true, 0},
        {"the hero's spirit coupling", MIS_TYPE_SPIRIT, true, true, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Silence();
        Fighter far;
        far.x = far.z = 7000.0;
        Fighter here;
        here.gauge = 50.0f;
        scene->Set(0, c.by_hero ? here : far);
        hero->flags[8] = ACTOR_F8_GUN_CARRIED | ACTOR_F8_GUN_DRAWN;
        ActorRecord *shooter = c.by_hero ? hero : A(here);
        // Within every reach: the frame's hit test, had it run, would strike it, burn it or couple it.
        Fighter v;
        v.x = 100.0;
        v.team = true;
        v.gauge = 10.0f;
        ActorRecord *victim = B(v);
        shooter->enemies[0] = victim;
        shooter->enemy_count = 1;
        AI_BuildGroups();
        ActorRecord *p = Projectile(c.type, shooter, 0, 0, 0);
        p->flags[4] &= uint8_t(~ACTOR_F4_MODEL_HIDDEN);
        p->life = 0.0f;
        Forget();
        MIS_CheckHits(p);
        EXPECT_EQ((hero->flags[8] & ACTOR_F8_GUN_HIDDEN) != 0, c.gun_hidden);
        EXPECT_EQ(FLICK_RemoveCalls, 1);
        EXPECT_EQ(FLICK_LastRemoved, p);
        EXPECT_EQ(SPC_HideVidCalls, c.special_hidden);
        EXPECT_TRUE(Hidden(p));
        EXPECT_EQ(ACTOR_FlagWord(p), 0u);
        // Nothing else: no hit, no light, no sparks, no ball, no sound, no event, and no frame counted.
        EXPECT_EQ(p->life, 0.0f);
        EXPECT_EQ(victim->life, 100.0f);
        EXPECT_EQ(shooter->coupled, nullptr);
        EXPECT_EQ(FLICK_CreateCalls, 0);
        EXPECT_EQ(fx_recorder::Seen().sparks, 0);
        EXPECT_EQ(FX_BallCount, 0);
        EXPECT_EQ(Playing(8), 0);
        EXPECT_EQ(MenuEvents(), "");
        EXPECT_EQ(CameraSubject(), nullptr);
    }
}

// ---- The thrown models ----

TEST_F(Projectiles, TheThrownModelGivesEveryRecordAHiddenCopy)
{
    std::vector<OBJ_Handle> nodes;
    for (const ActorRecord &p : ACTOR_Projectiles) {
        EXPECT_GT(p.node, 0);
        EXPECT_EQ(p.flags[4], ACTOR_F4_MODEL_HIDDEN);
        EXPECT_EQ(Get_Obj_Parent(p.node), 0);
        nodes.push_back(p.node);
    }
    std::sort(nodes.begin(), nodes.end());
    EXPECT_EQ(std::unique(nodes.begin(), nodes.end()), nodes.end());
}

TEST_F(Projectiles, AMissingThrownModelStopsTheGame)
{
    kalder_test::MemFiles_Clear();
    try {
        WPN_LoadThrown();
        ADD_FAILURE() << "no stop";
    } catch (const test::ExitCalled &e) {
        EXPECT_EQ(e.code, 999);
    }
    ASSERT_FALSE(test::MessageBoxes().empty());
    EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : Read Weapon Error");
}

TEST_F(Projectiles, AThrownModelFallsUnderPhysicsAndIsFreedAfter101Frames)
{
    const double at[3] = {0.0, -1000.0, 0.0};
    ASSERT_EQ(MIS_Throw(at), 0);
    ActorRecord &p = ACTOR_Projectiles[0];
    EXPECT_EQ(ACTOR_FlagWord(&p), MIS_WORD_THROWN | MIS_WORD_IN_USE);
    EXPECT_EQ(p.position[1], -1100.0);
    EXPECT_FALSE(Hidden(&p));
    int32_t frames = 0;
    while ((p.flags[0] & ACTOR_F0_IN_USE) != 0 && frames < 200) {
        MIS_MoveThrown(&p);
        MIS_AgeThrown(&p);
        frames++;
    }
    EXPECT_EQ(frames, 101);
    EXPECT_GT(p.position[1], -1100.0) << "it fell";
    EXPECT_TRUE(Hidden(&p));
}

} // namespace
