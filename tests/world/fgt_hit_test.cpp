// Hits and damage: the blow's sound, parry, death and thorns; the plain and silent damage; the push and
// its decay; the slowing of everyone else.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/world/fight_fixture.h"
#include "world/anim.h"
#include "world/fgt_hit.h"

namespace {

using fight_test::Bench;
using kalder_test::Fighter;

using Hits = Bench;

struct BlowCase {
    const char *what;
    float life;
    int32_t anim;        // the victim's: 43 parries
    int32_t physics;     // the victim's: 2 swims
    const char *name;
    uint8_t f4;          // the victim's: thorns
    float attacker_life, attacker_slow;
    bool hero_attacks;
    int32_t damage;
    // after
    float victim_life, attacker_after, attacker_slow_after;
    int32_t victim_request, sound;
    const char *menu; // the menus' events
};

TEST_F(Hits, AMeleeHitSoundsParriesKillsAndAnswersWithThorns)
{
    const BlowCase cases[] = {
        {"a blow", 100, 0, 1, "CR1", 0, 100, 0, false, 37, 63, 100, 0, 40, 8, ""},
        {"parried: an eighth toward zero", 100, 43, 1, "CR1", 0, 100, 0, false, 37, 96, 100, 0, 40, 8, ""},
        {"a death on the ground", 30, 0, 1, "CR1", 0, 100, 0, false, 37, 0, 100, 0, ANIM_DEATH, 19, ""},
        {"a death in the water", 30, 0, 2, "CR1", 0, 100, 0, false, 37, 0, 100, 0, 51, 19, ""},
        {"the F92 dies with sound 7", 30, 0, 1, "F92B", 0, 100, 0, false, 37, 0, 100, 0, ANIM_DEATH, 7, ""},
        {"F9 is not F92", 30, 0, 1, "F9", 0, 100, 0, false, 37, 0, 100, 0, ANIM_DEATH, 19, ""},
        {"thorns hurt the attacker", 100, 0, 1, "CR1", ACTOR_F4_THORNS, 100, 0, false, 37, 63, 63, 0, 40, 8, ""},
        {"thorns kill the attacker", 100, 0, 1, "CR1", ACTOR_F4_THORNS, 30, 0, false, 37, 63, 0, 0, 40, 7, ""},
        {"thorns spare a dead attacker", 100, 0, 1, "CR1", ACTOR_F4_THORNS, 0, 0, false, 37, 63, 0, 0, 40, 8, ""},
        {"a slowed attacker is freed", 100, 0, 1, "CR1", 0, 100, 500, false, 37, 63, 100, 0, 40, 8, ""},
        {"the hero stays slowed", 100, 0, 1, "CR1", 0, 100, 500, true, 37, 63, 100, 500, 40, 8, "E0,0 "},
        {"the hero struck back by thorns: one event", 100, 0, 1, "CR1", ACTOR_F4_THORNS, 100, 0, true, 37, 63, 63, 0,
         40, 8, "E0,0 "},
        {"a dead victim takes nothing", 0, 0, 1, "CR1", 0, 100, 0, false, 37, 0, 100, 0, -1, 8, ""},
    };
    for (const BlowCase &c : cases) {
        SCOPED_TRACE(c.what);
        Silence();
        Forget();
        Fighter v;
        v.x = 300.0;
        v.life = c.life;
        v.anim = c.anim;
        ActorRecord *victim = B(v);
        victim->physics_mode = c.physics;
        std::strncpy(victim->node_name, c.name, sizeof victim->node_name);
        victim->flags[4] = c.f4;
        victim->slow_time = 100.0f;
        Fighter a;
        a.life = c.attacker_life;
        ActorRecord *attacker = c.hero_attacks ? scene->Set(0, a) : A(a);
        attacker->slow_time = c.attacker_slow;
        FGT_MeleeHit(victim, attacker, c.damage);
        EXPECT_EQ(victim->life, c.victim_life);
        EXPECT_EQ(attacker->life, c.attacker_after);
        EXPECT_EQ(attacker->slow_time, c.attacker_slow_after);
        EXPECT_EQ(victim->requested_anim, c.victim_request);
        if (c.life > 0.0f) {
            EXPECT_EQ(victim->last_attacker, attacker);
            // The word takes the life before a death sets it to 0.
            EXPECT_EQ(FGT_LastHitLife, c.life - float(c.anim == 43 ? c.damage / 8 : c.damage));
            EXPECT_EQ(victim->slow_time, c.victim_life == 0.0f ? 0.0f : 100.0f);
        }
        EXPECT_EQ(Playing(c.sound), 1);
        EXPECT_EQ(MenuEvents(), c.menu);
        EXPECT_EQ(fx_recorder::Seen().sparks, 0) << "a blow's sparks come with its push";
    }
}

TEST_F(Hits, DamageSparksSoundsAndKillsAndTheSilentFormAlwaysFallsOnTheGround)
{
    struct Case {
        const char *what;
        bool silent;
        float life;
        int32_t anim, physics;
        float after;
        int32_t request;
        bool sound;
        int32_t sparks;
    };
    const Case cases[] = {
        {"a hit", false, 100, 0, 1, 80, -1, true, 4},
        {"parried", false, 100, 43, 1, 97.5f, -1, true, 4},
        {"a death", false, 15, 0, 1, 0, ANIM_DEATH, true, 4},
        {"a death swimming", false, 15, 0, 2, 0, 51, true, 4},
        {"silent: no sparks", true, 100, 0, 1, 80, -1, true, 0},
        {"silent: a death swimming is on the ground", true, 15, 0, 2, 0, ANIM_DEATH, true, 0},
        {"the dead", false, 0, 0, 1, 0, -1, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Silence();
        Forget();
        Fighter v;
        v.life = c.life;
        v.anim = c.anim;
        ActorRecord *victim = B(v);
        victim->physics_mode = c.physics;
        victim->pursuit_range = 10;
        victim->slow_time = 5.0f;
        (c.silent ? FGT_DamageSilent : FGT_Damage)(victim, 20.0f);
        EXPECT_EQ(victim->life, c.after);
        EXPECT_EQ(victim->requested_anim, c.request);
        EXPECT_EQ(victim->pursuit_range, c.sound ? 50000 : 10);
        EXPECT_EQ(victim->slow_time, c.request >= 0 ? 0.0f : 5.0f);
        EXPECT_EQ(Playing(8), c.sound ? 1 : 0);
        EXPECT_EQ(fx_recorder::Seen().sparks, c.sparks);
        EXPECT_EQ(fx_recorder::Seen().last_sparks, c.sparks > 0 ? victim : nullptr);
    }
}

TEST_F(Hits, TheKnockbackIsClampedCappedHalvedAndTurns)
{
    struct Case {
        const char *what;
        bool light;
        float strength;
        double mass;
        int32_t anim;
        int32_t victim_radius;
        double victim_z;   // the victim ahead at x 300, aside by z
        bool victim_hero;
        uint8_t f7;
        float kb_before, velocity;
        float kb_after;
        int32_t turn;
    };
    const Case cases[] = {
        {"k = 2.5 at strength 20", false, 20, 80, 0, 135, 0, false, 0, 0, 10, 25, 0},
        {"strength above 25 pushes as 25", false, 40, 80, 0, 135, 0, false, 0, 0, 10, 31.25f, 0},
        {"mass 160 halves", false, 20, 160, 0, 135, 0, false, 0, 0, 10, 12.5f, 0},
        {"parry halves", false, 20, 80, 43, 135, 0, false, 0, 0, 10, 12.5f, 0},
        {"the old push decays by a quarter", false, 20, 80, 0, 135, 0, false, 0, 40, 10, 55, 0},
        {"clamped at 135", false, 20, 80, 0, 135, 0, false, 0, 0, 100, 135, 0},
        {"clamped at -135", false, 20, 80, 0, 135, 0, false, 0, 0, -100, -135, 0},
        {"unstruck: nothing", false, 20, 80, 0, 135, 0, false, ACTOR_F7_UNSTRUCK, 0, 10, 0, 0},
        {"light: k at most 0.5", true, 20, 80, 0, 135, 0, false, 0, 0, 10, 5, 0},
        {"light: no cap on strength, no clamp", true, 2, 80, 0, 135, 0, false, 0, 0, 1000, 250, 0},
        {"off centre toward +z: turned back by 200", false, 20, 80, 0, 135, 100, false, 0, 0, 10, 25, -200},
        {"off the other side", false, 20, 80, 0, 135, -100, false, 0, 0, 10, 25, 200},
        {"the hero turns by 40", false, 20, 80, 0, 135, 100, true, 0, 0, 10, 25, -40},
        {"a wide victim turns less: inside pi/32", false, 20, 80, 0, 150, 30, false, 0, 0, 10, 25, 0},
        {"a narrow one at the same place turns", false, 20, 80, 0, 135, 30, false, 0, 0, 10, 25, -200},
        {"light: no turn", true, 20, 80, 0, 135, 100, false, 0, 0, 10, 5, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Fighter s;
        s.strength = c.strength;
        ActorRecord *shooter = A(s);
        Fighter v;
        v.x = 300.0;
        v.z = c.victim_z;
        v.mass = c.mass;
        v.anim = c.anim;
        v.radius = c.victim_radius;
        v.heading = 1000;
        ActorRecord *victim = c.victim_hero ? scene->Set(0, v) : B(v);
        victim->flags[7] = c.f7;
        victim->knockback[0] = c.kb_before;
        victim->knockback[1] = 7.0f;
        ActorRecord *p = Projectile(0x11, shooter, 0, 0, 0);
        p->velocity[0] = c.velocity;
        p->velocity[1] = 3.0f;
        Forget();
        (c.light ? FGT_KnockbackLight : FGT_Knockback)(p, victim);
        // Eight bursts of sparks on a victim that can be struck.
        EXPECT_EQ(fx_recorder::Seen().sparks, c.f7 != 0 ? 0 : 8);
        EXPECT_EQ(fx_recorder::Seen().last_sparks, c.f7 != 0 ? nullptr : victim);
        EXPECT_FLOAT_EQ(victim->knockback[0], c.kb_after);
        EXPECT_EQ(victim->knockback[1], c.f7 != 0 ? 7.0f : 0.0f);
        EXPECT_EQ(victim->heading, (1000 + c.turn) & 0xFFF);
    }
}

TEST_F(Hits, TheKnockbackStepAddsDecaysAndSpinsTheDying)
{
    struct Case {
        const char *what;
        bool hero;
        int32_t anim;
        float kb, factor;
        float kb_after;
        int32_t turn;
        bool immobile;
    };
    const Case cases[] = {
        {"decays by 0.3", false, 0, 10, 1, 7, 0, true},
        {"twice as fast at factor 2", false, 0, 10, 2, 4, 0, true},
        {"a dying creature spins", false, ANIM_DEATH, 10, 1, 7, 100, true},
        {"below a unit: still", false, ANIM_DEATH, 0.9f, 1, 0.63f, 0, false},
        {"the hero never", true, ANIM_DEATH, 10, 1, 7, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        GAME_TimeFactor = c.factor;
        Fighter f;
        f.anim = c.anim;
        f.heading = 4000;
        ActorRecord *a = c.hero ? scene->Set(0, f) : A(f);
        a->velocity[0] = 1.0f;
        a->knockback[0] = c.kb;
        a->knockback[1] = 3.0f;
        a->flags[9] = ACTOR_F9_KNOCKBACK;
        FGT_StepKnockback(a);
        EXPECT_FLOAT_EQ(a->velocity[0], 1.0f + c.kb);
        EXPECT_FLOAT_EQ(a->knockback[0], c.kb_after);
        EXPECT_EQ(a->knockback[1], 0.0f);
        EXPECT_EQ(a->heading, (4000 + c.turn) & 0xFFF);
        EXPECT_EQ((a->flags[9] & ACTOR_F9_KNOCKBACK) != 0, c.immobile);
    }
    GAME_TimeFactor = 1.0;
}

TEST_F(Hits, SetAndClearOthersSpareTheOneGiven)
{
    Fighter f;
    ActorRecord *a = A(f);
    ActorRecord *b = B(f);
    FGT_SetOthers(a, 300.0f, 0.5f);
    EXPECT_EQ(a->slow_time, 0.0f);
    EXPECT_EQ(b->slow_time, 300.0f);
    EXPECT_EQ(b->slow_factor, 0.5f);
    EXPECT_EQ(hero->slow_time, 300.0f);
    a->slow_time = 9.0f;
    FGT_ClearOthers(a);
    EXPECT_EQ(a->slow_time, 9.0f);
    EXPECT_EQ(b->slow_time, 0.0f);
    EXPECT_EQ(hero->slow_time, 0.0f);
}

} // namespace
