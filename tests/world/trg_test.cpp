// The scene triggers on a small level of our own: the copy of the project's sources, the distances, the
// questions about the world, every condition and every action. The actions all on one record, with the
// film they play, are in the film program's trigger tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/fconv.h"
#include "core/game_frame.h"
#include "core/opt.h"
#include "core/que.h"
#include "core/sys.h"
#include "engine3d/object.h"
#include "interface/menj.h"
#include "tests/support/trigger_level.h"
#include "tests/world/trigger_fixture.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/cam.h"
#include "world/fx.h"
#include "world/inv.h"
#include "world/mis.h"
#include "world/phy.h"
#include "world/prj.h"
#include "world/tex.h"
#include "world/trg.h"
#include "world/zon.h"

namespace {

using namespace trigger_test;

TEST_F(TriggerTest, TheLoadCopiesActiveSourcesWithinTheirTables)
{
    TriggerSource inactive = Source(TRG_IF_NEAR_B, TRG_DO_GIVE_B, 1, 2);
    inactive.flags = 0;
    inactive.film = "intro.hnm";
    inactive.period = 5;
    TriggerSource film = Source(TRG_IF_ONCE_TIMER, TRG_DO_SHOW_B, 15, 4);
    film.element_a2 = 3;
    film.zone = 11;
    film.event = 7;
    film.film = "intro.hnm";
    film.period = 2;
    TriggerSource hidden_film = film;
    hidden_film.film = std::string("\0abc", 4);
    const TriggerSource damaged = kalder_test::DamagedTrigger();
    TriggerSource flags = Source(0, 0);
    flags.flags = 0x81;
    Sources({inactive, film, hidden_film, damaged, flags});

    const TRG_Record zero{};
    EXPECT_EQ(std::memcmp(&TRG_Records[0], &zero, sizeof zero), 0) << "an inactive source stays all zero";
    const TRG_Record &r = TRG_Records[1];
    EXPECT_EQ(r.element_a, 15);
    EXPECT_EQ(r.element_a2, 3);
    EXPECT_EQ(r.element_b, 4);
    EXPECT_EQ(r.zone, 11);
    EXPECT_EQ(r.event_argument, 7);
    EXPECT_EQ(r.conditions, TRG_IF_ONCE_TIMER);
    EXPECT_EQ(r.actions, TRG_DO_SHOW_B);
    EXPECT_EQ(r.flags, 1u);
    EXPECT_STREQ(r.film, "intro.hnm");
    EXPECT_EQ(r.period, 2.0f);
    EXPECT_EQ(r.countdown, 60.0f);
    EXPECT_EQ(std::string(TRG_Records[2].film, 16), std::string(16, '\0')) << "a film field starting with NUL is none";
    const TRG_Record &d = TRG_Records[3];
    EXPECT_EQ(d.element_a, -1);
    EXPECT_EQ(d.element_a2, -1);
    EXPECT_EQ(d.element_b, -1);
    EXPECT_EQ(d.zone, -1);
    EXPECT_EQ(std::string(d.film, 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(d.countdown, 2.4e9f) << "80,000,000 s in frames, neither wrapped nor negative";
    EXPECT_GT(d.countdown, 0.0f);
    EXPECT_EQ(TRG_Records[4].flags, 0x81u) << "the flags are copied whole";

    // The exits-unlocked flag goes back to 0 at every load.
    Sources({Source(0, TRG_DO_UNLOCK_EXITS)});
    TRG_Evaluate(Hero());
    EXPECT_EQ(TRG_ExitsUnlocked(), 1);
    TRG_Load();
    EXPECT_EQ(TRG_ExitsUnlocked(), 0);
}

TEST(TriggerDistance, TouchingAndMeetingInSinglePrecision)
{
    struct Row {
        const char *name;
        double ax, bx;
        int32_t radius_a, radius_b;
        int32_t touching, meeting;
    };
    const double big = 16777217.5;
    const Row rows[] = {
        {"399", 0.0, 399.0, 0, 0, 1, 1},
        {"400 is not within", 0.0, 400.0, 0, 0, 0, 0},
        {"401", 0.0, 401.0, 0, 0, 0, 0},
        {"549, the first wider than 200", 0.0, 549.0, 201, 0, 0, 1},
        {"549, the second wider than 200", 0.0, 549.0, 0, 201, 0, 1},
        {"551 wide", 0.0, 551.0, 201, 201, 0, 0},
        {"549 with radius 200", 0.0, 549.0, 200, 200, 0, 0},
        // 399.6 apart, but the first's x as a float is 16,777,218: 400.1 apart.
        {"the first rounded away", big, big - 399.6, 0, 0, 0, 0},
        // The second keeps its double: 16,776,818 - 16,777,217.5 is 399.5.
        {"the second kept exact", big - 399.6, big, 0, 0, 1, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ActorRecord a{}, b{};
        a.position[0] = row.ax;
        b.position[0] = row.bx;
        a.position[1] = b.position[1] = 140.0;
        a.radius = row.radius_a;
        b.radius = row.radius_b;
        EXPECT_EQ(TRG_Touching(&a, &b), row.touching);
        EXPECT_EQ(TRG_Meeting(&a, &b), row.meeting);
    }
}

TEST_F(TriggerTest, TheWorldQuestionsCountEnemiesAndDisabledActors)
{
    ActorRecord *c1 = Actor(tl::kCreature);
    ActorRecord *c2 = Actor(tl::kCreature2);
    ASSERT_NE(c1, nullptr);
    ASSERT_NE(c2, nullptr);
    ASSERT_NE(Actor(tl::kBox), nullptr);
    EXPECT_EQ(Actor(tl::kAbsent), nullptr) << "an element not loaded has no actor";
    EXPECT_EQ(TRG_FindActor(nullptr), nullptr);
    EXPECT_EQ(c1->definition, &PRJ_Current->elements[tl::kCreature]);
    ASSERT_TRUE((c1->flags[1] & ACTOR_F1_AI) != 0 && (c1->flags[1] & ACTOR_F1_TEAM) != 0);

    struct Row {
        const char *name;
        std::function<void(ActorRecord *)> first;
        int32_t no_enemy;
    };
    const Row rows[] = {
        {"disabled", [](ActorRecord *a) { a->flags[3] |= ACTOR_F3_DISABLED; }, 1},
        {"dead", [](ActorRecord *a) { a->life = 0.0f; }, 1},
        {"same camp", [](ActorRecord *a) { a->flags[1] &= uint8_t(~ACTOR_F1_TEAM); }, 1},
        {"not AI-driven", [](ActorRecord *a) { a->flags[1] &= uint8_t(~ACTOR_F1_AI); }, 1},
        {"a living enemy", [](ActorRecord *) {}, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const ActorRecord k1 = *c1, k2 = *c2;
        c2->life = -5.0f; // the other one always counts out
        row.first(c1);
        EXPECT_EQ(TRG_NoEnemyLeft(Hero()), row.no_enemy);
        *c1 = k1;
        *c2 = k2;
    }

    ActorRecord *candidates[3] = {Actor(tl::kBox), c1, c2};
    for (int n = 0; n <= 3; n++) {
        SCOPED_TRACE(n);
        for (int i = 0; i < 3; i++) {
            candidates[i]->flags[3] = uint8_t((candidates[i]->flags[3] & ~ACTOR_F3_DISABLED) | (i < n ? ACTOR_F3_DISABLED : 0));
        }
        EXPECT_EQ(TRG_FewDisabled2(), n <= 2 ? 1 : 0);
        EXPECT_EQ(TRG_FewDisabled1(), n <= 1 ? 1 : 0);
    }
}

TEST_F(TriggerTest, CharactersATriggerShowsLaterStartHidden)
{
    struct Row {
        const char *name;
        std::vector<TriggerSource> triggers;
        std::vector<int32_t> hidden; // elements
    };
    TriggerSource inactive = Source(0, TRG_DO_SHOW_B, -1, tl::kCreature);
    inactive.flags = 0;
    const Row rows[] = {
        {"show B", {Source(TRG_IF_NEAR_B, TRG_DO_SHOW_B, -1, tl::kCreature)}, {tl::kCreature}},
        {"inactive", {inactive}, {}},
        {"other actions on B", {Source(0, TRG_DO_HIDE_B | TRG_DO_GIVE_B, -1, tl::kCreature)}, {}},
        {"show all", {Source(TRG_IF_NEAR_B, TRG_DO_SHOW_ALL)}, {tl::kBox, tl::kCreature, tl::kCreature2, tl::kCrystal}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Load(kalder_test::TriggerLevelRecord(), row.triggers);
        for (int32_t e : {tl::kBox, tl::kCreature, tl::kCreature2, tl::kCrystal}) {
            SCOPED_TRACE(e);
            const ActorRecord *a = Actor(e);
            ASSERT_NE(a, nullptr);
            const bool hidden = std::find(row.hidden.begin(), row.hidden.end(), e) != row.hidden.end();
            EXPECT_EQ(Disabled(a), hidden);
            EXPECT_EQ(TreeHidden(a->node), hidden);
        }
        EXPECT_FALSE(Disabled(Hero()));
    }
}

TEST_F(TriggerTest, APathATriggerShowsIsBuiltByTheTrigger)
{
    const int32_t plain_fields = [this] {
        Load(kalder_test::TriggerLevelRecord());
        return PHY_FieldCount;
    }();
    TriggerSource show = Source(TRG_IF_ONCE_TIMER, TRG_DO_SHOW_B, -1, tl::kCreature);
    show.zone = tl::kPathZone;
    show.period = 1;
    Load(kalder_test::TriggerLevelRecord(), {show});
    EXPECT_EQ(TRG_ZoneBuiltAtLoad(tl::kPathZone), 0);
    EXPECT_EQ(TRG_ZoneBuiltAtLoad(1), 1);
    EXPECT_EQ(PHY_FieldCount, plain_fields - 2) << "the path's two segments wait for the trigger";
    for (int tick = 0; tick < 30; tick++) {
        TRG_Update(Hero());
    }
    EXPECT_TRUE(Fired(0));
    EXPECT_EQ(PHY_FieldCount, plain_fields);
    EXPECT_EQ(PRJ_Current->zones[tl::kPathZone].field_handle, PHY_FieldCount - 1);
    EXPECT_FALSE(Disabled(Actor(tl::kCreature)));
    EXPECT_FALSE(TreeHidden(Actor(tl::kCreature)->node));
}

// Every condition bit, with its element present, disabled, dead, missing and not loaded where that
// applies. The action (unlocking the exits) shows whether the record fired.
TEST_F(TriggerTest, EachConditionHoldsOnlyInItsOwnCase)
{
    using Setup = std::function<void(ActorRecord *hero, ActorRecord *c1, ActorRecord *c2)>;
    struct Row {
        const char *name;
        TriggerSource trigger;
        Setup setup;
        bool fires;
    };
    const auto near = [](double d) { return [d](ActorRecord *h, ActorRecord *c1, ActorRecord *) { TriggerLevel::PlaceFrom(c1, h, d); }; };
    const auto none = [](ActorRecord *, ActorRecord *, ActorRecord *) {};
    const uint32_t go = TRG_DO_UNLOCK_EXITS;
    const int32_t c = tl::kCreature, c2 = tl::kCreature2, absent = tl::kAbsent;
    const Row rows[] = {
        {"no conditions", Source(0, go), none, true},
        {"touch A at 399", Source(TRG_IF_TOUCH_A, go, c), near(399.0), true},
        {"touch A at 401", Source(TRG_IF_TOUCH_A, go, c), near(401.0), false},
        {"touch A disabled", Source(TRG_IF_TOUCH_A, go, c),
         [](ActorRecord *h, ActorRecord *c1, ActorRecord *) {
             TriggerLevel::PlaceFrom(c1, h, 10.0);
             c1->flags[3] |= ACTOR_F3_DISABLED;
         },
         false},
        {"touch A missing", Source(TRG_IF_TOUCH_A, go, -1), none, true},
        {"touch A not loaded", Source(TRG_IF_TOUCH_A, go, absent), none, true},
        {"A dead", Source(TRG_IF_A_DEAD, go, c), [](ActorRecord *, ActorRecord *c1, ActorRecord *) { c1->life = 0.0f; }, true},
        {"A alive", Source(TRG_IF_A_DEAD, go, c), [](ActorRecord *, ActorRecord *c1, ActorRecord *) { c1->life = 0.5f; }, false},
        {"A dead but disabled", Source(TRG_IF_A_DEAD, go, c),
         [](ActorRecord *, ActorRecord *c1, ActorRecord *) {
             c1->life = 0.0f;
             c1->flags[3] |= ACTOR_F3_DISABLED;
         },
         false},
        {"A dead, missing", Source(TRG_IF_A_DEAD, go, -1), none, true},
        {"A dead, not loaded", Source(TRG_IF_A_DEAD, go, absent), none, true},
        {"no enemy, two alive", Source(TRG_IF_NO_ENEMY, go), none, false},
        {"no enemy, both dead", Source(TRG_IF_NO_ENEMY, go),
         [](ActorRecord *, ActorRecord *c1, ActorRecord *c2a) { c1->life = c2a->life = 0.0f; }, true},
        {"has A, missing", Source(TRG_IF_HAS_A, go, -1), none, true},
        {"has A, not carried", Source(TRG_IF_HAS_A, go, tl::kCrystal), none, false},
        {"lacks A, not carried", Source(TRG_IF_LACKS_A, go, tl::kCrystal), none, true},
        {"lacks B, not carried", Source(TRG_IF_LACKS_B, go, -1, tl::kCrystal), none, true},
        {"near B at 399", Source(TRG_IF_NEAR_B, go, -1, c), near(399.0), true},
        {"near B at 549, wide", Source(TRG_IF_NEAR_B, go, -1, c),
         [](ActorRecord *h, ActorRecord *c1, ActorRecord *) {
             c1->radius = 201;
             TriggerLevel::PlaceFrom(c1, h, 549.0);
         },
         true},
        {"near B at 401", Source(TRG_IF_NEAR_B, go, -1, c), near(401.0), false},
        {"near B disabled", Source(TRG_IF_NEAR_B, go, -1, c),
         [](ActorRecord *h, ActorRecord *c1, ActorRecord *) {
             TriggerLevel::PlaceFrom(c1, h, 10.0);
             c1->flags[3] |= ACTOR_F3_DISABLED;
         },
         false},
        {"near B disabled but kept on sight", Source(TRG_IF_NEAR_B, go, -1, c),
         [](ActorRecord *h, ActorRecord *c1, ActorRecord *) {
             TriggerLevel::PlaceFrom(c1, h, 10.0);
             c1->flags[3] |= ACTOR_F3_DISABLED;
             c1->flags[4] |= ACTOR_F4_PURSUIT_ON_SIGHT;
         },
         true},
        {"near B missing", Source(TRG_IF_NEAR_B, go, -1, -1), none, true},
        {"near B not loaded", Source(TRG_IF_NEAR_B, go, -1, absent), none, true},
        {"A near B", Source(TRG_IF_A_NEAR_B, go, c, c2),
         [](ActorRecord *, ActorRecord *c1, ActorRecord *c2a) { TriggerLevel::PlaceFrom(c2a, c1, 300.0); }, true},
        {"A far from B", Source(TRG_IF_A_NEAR_B, go, c, c2), none, false},
        {"A near B, A not loaded", Source(TRG_IF_A_NEAR_B, go, absent, c2), none, true},
        {"A unhurt", Source(TRG_IF_A_UNHURT, go, c), none, true},
        {"A unhurt, not loaded", Source(TRG_IF_A_UNHURT, go, absent), none, true},
        {"A hurt", Source(TRG_IF_A_UNHURT, go, c), [](ActorRecord *, ActorRecord *c1, ActorRecord *) { c1->life = 90.0f; }, false},
        {"A hurt but disabled", Source(TRG_IF_A_UNHURT, go, c),
         [](ActorRecord *, ActorRecord *c1, ActorRecord *) {
             c1->life = 90.0f;
             c1->flags[3] |= ACTOR_F3_DISABLED;
         },
         true},
        {"few disabled (2), none", Source(TRG_IF_FEW_DISABLED_2, go), none, true},
        {"few disabled (2), three", Source(TRG_IF_FEW_DISABLED_2, go),
         [](ActorRecord *, ActorRecord *c1, ActorRecord *c2a) {
             c1->flags[3] |= ACTOR_F3_DISABLED;
             c2a->flags[3] |= ACTOR_F3_DISABLED;
             TriggerLevel::Actor(tl::kBox)->flags[3] |= ACTOR_F3_DISABLED;
         },
         false},
        {"few disabled (1), one", Source(TRG_IF_FEW_DISABLED_1, go),
         [](ActorRecord *, ActorRecord *c1, ActorRecord *) { c1->flags[3] |= ACTOR_F3_DISABLED; }, true},
        {"few disabled (1), two", Source(TRG_IF_FEW_DISABLED_1, go),
         [](ActorRecord *, ActorRecord *c1, ActorRecord *c2a) {
             c1->flags[3] |= ACTOR_F3_DISABLED;
             c2a->flags[3] |= ACTOR_F3_DISABLED;
         },
         false},
    };
    ActorRecord *c1 = Actor(c);
    ActorRecord *c2a = Actor(c2);
    const ActorRecord k1 = *c1, k2 = *c2a, kh = *Hero(), kb = *Actor(tl::kBox);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        *c1 = k1;
        *c2a = k2;
        *Hero() = kh;
        *Actor(tl::kBox) = kb;
        row.setup(Hero(), c1, c2a);
        Sources({row.trigger});
        TRG_Evaluate(Hero());
        EXPECT_EQ(Fired(0), row.fires);
        EXPECT_EQ(TRG_ExitsUnlocked(), row.fires ? 1 : 0);
        EXPECT_EQ(Active(0), !row.fires);
    }
}

TEST_F(TriggerTest, TouchingTakesAEvenWhenALaterConditionFails)
{
    ActorRecord *a = Actor(tl::kCreature);
    TriggerLevel::PlaceFrom(a, Hero(), 100.0);
    // The second creature is a living enemy, so "no enemy" fails after A was taken.
    Sources({Source(TRG_IF_TOUCH_A | TRG_IF_NO_ENEMY, TRG_DO_UNLOCK_EXITS, tl::kCreature)});
    TRG_Evaluate(Hero());
    EXPECT_FALSE(Fired(0));
    EXPECT_TRUE(Active(0));
    EXPECT_TRUE(Disabled(a));
    EXPECT_TRUE(TreeHidden(a->node));
    EXPECT_EQ(a->life, 0.0f);
    // Now A is disabled: the trigger waits for ever.
    Actor(tl::kCreature2)->life = 0.0f;
    TRG_Evaluate(Hero());
    EXPECT_FALSE(Fired(0));

    // Kept on sight: touched, but left in place.
    Load(kalder_test::TriggerLevelRecord());
    a = Actor(tl::kCreature);
    a->flags[4] |= ACTOR_F4_PURSUIT_ON_SIGHT;
    TriggerLevel::PlaceFrom(a, Hero(), 100.0);
    Sources({Source(TRG_IF_TOUCH_A, TRG_DO_UNLOCK_EXITS, tl::kCreature)});
    TRG_Evaluate(Hero());
    EXPECT_TRUE(Fired(0));
    EXPECT_FALSE(Disabled(a));
    EXPECT_EQ(a->life, 100.0f);
}

TEST_F(TriggerTest, TimersCountGameFrames)
{
    struct Row {
        const char *name;
        uint32_t conditions;
        int32_t period;
        double factor;
        std::vector<int> fired; // ticks (from 1) within the first 130; empty: every tick
    };
    const Row rows[] = {
        {"one shot of 2 s", TRG_IF_ONCE_TIMER, 2, 1.0, {60}},
        {"one shot of 2 s at factor 2", TRG_IF_ONCE_TIMER, 2, 2.0, {30}},
        {"repeating every 2 s", TRG_IF_REPEAT_TIMER, 2, 1.0, {60, 120}},
        {"repeating at factor 2", TRG_IF_REPEAT_TIMER, 2, 2.0, {30, 60, 90, 120}},
        {"one shot of 0 s never waits", TRG_IF_ONCE_TIMER, 0, 1.0, {}},
        {"repeating of 0 s never waits", TRG_IF_REPEAT_TIMER, 0, 1.0, {}},
        // A record without timer bits still runs its countdown down, but nothing waits for it.
        {"no condition with a period", 0, 2, 1.0, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        // Slowing B does not end the record, so a repeating timer shows each of its runs.
        TriggerSource t = Source(row.conditions, TRG_DO_SLOW_B, -1, tl::kCreature);
        t.period = row.period;
        Sources({t});
        GAME_TimeFactor = row.factor;
        std::vector<int> fired;
        for (int tick = 1; tick <= 130; tick++) {
            TRG_Update(Hero());
            if (Fired(0)) {
                fired.push_back(tick);
            }
        }
        if (row.fired.empty()) {
            EXPECT_EQ(fired.size(), 130u) << "fires on every tick";
        } else {
            EXPECT_EQ(fired, row.fired);
        }
    }
}

TEST_F(TriggerTest, NothingRunsDuringAFade)
{
    Sources({Source(0, TRG_DO_UNLOCK_EXITS)});
    GAME_FadeTimer = 3.0f;
    TRG_Update(Hero());
    EXPECT_EQ(TRG_LastFired, 0u);
    EXPECT_EQ(TRG_ExitsUnlocked(), 0);
    EXPECT_TRUE(Active(0));
    GAME_FadeTimer = 0.0f;
    TRG_Update(Hero());
    EXPECT_EQ(TRG_ExitsUnlocked(), 1);
}

// One row per action bit: the world after the tick, and whether the record ended.
TEST_F(TriggerTest, EachActionChangesTheWorldAndEndsAsItShould)
{
    using Hook = std::function<void(ActorRecord *a, ActorRecord *b)>;
    struct Row {
        const char *name;
        uint32_t actions;
        int32_t a, b, zone;
        Hook before;
        Hook after;
        bool ended;
    };
    const int32_t c = tl::kCreature, c2 = tl::kCreature2;
    const auto nothing = [](ActorRecord *, ActorRecord *) {};
    static int32_t counter;
    static int32_t fields;
    const Row rows[] = {
        {"hurt", TRG_DO_HURT, -1, -1, -1, [](ActorRecord *, ActorRecord *) { TriggerLevel::Hero()->life = 500.0f; },
         [](ActorRecord *, ActorRecord *) {
             EXPECT_EQ(TriggerLevel::Hero()->life, 380.0f);
         },
         true},
        {"slow all", TRG_DO_SLOW_ALL, -1, c, -1, nothing,
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_EQ(TriggerLevel::Hero()->slow_time, 2000.0f) << "the hero too";
             EXPECT_EQ(b->slow_time, 2000.0f);
             EXPECT_EQ(b->slow_factor, 0.3f);
         },
         true},
        {"unslow all", TRG_DO_UNSLOW_ALL, -1, c, -1, [](ActorRecord *, ActorRecord *b) { b->slow_time = 450.0f; },
         [](ActorRecord *, ActorRecord *b) { EXPECT_EQ(b->slow_time, 0.0f); }, true},
        {"rally a dead B", TRG_DO_RALLY_B, -1, c, -1,
         [](ActorRecord *, ActorRecord *b) {
             b->current_anim = 50;
             b->life = 0.0f;
             b->flags[0] &= uint8_t(~ACTOR_F0_ANIM_ENDED);
             b->flags[2] |= ACTOR_F2_ACTION_HELD;
         },
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_EQ(b->life, 100.0f);
             EXPECT_EQ(b->current_anim, 0);
             EXPECT_NE(b->flags[0] & ACTOR_F0_ANIM_ENDED, 0);
             EXPECT_EQ(b->flags[2] & ACTOR_F2_ACTION_HELD, 0);
             EXPECT_EQ(b->flags[1] & ACTOR_F1_TEAM, 0) << "the hero's camp";
             EXPECT_EQ(TRG_NoEnemyLeft(TriggerLevel::Hero()), 0) << "the other creature is still an enemy";
             // Regrouped: a squad of its new camp, not the other creature's.
             const ActorRecord *other = TriggerLevel::Actor(tl::kCreature2);
             EXPECT_NE(b->group_parent, nullptr);
             EXPECT_NE(other->group_parent, nullptr);
             EXPECT_NE(b->group_parent, other->group_parent);
         },
         true},
        {"rally a living B", TRG_DO_RALLY_B, -1, c, -1, [](ActorRecord *, ActorRecord *b) { b->life = 55.0f; },
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_EQ(b->life, 55.0f);
             EXPECT_EQ(b->flags[1] & ACTOR_F1_TEAM, 0);
         },
         true},
        {"rally, B missing", TRG_DO_RALLY_B, -1, -1, -1, nothing, nothing, true},
        {"slow B", TRG_DO_SLOW_B, -1, c, -1, nothing,
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_EQ(b->slow_time, 450.0f);
             EXPECT_EQ(b->slow_factor, 0.2f);
             EXPECT_EQ(b->life, 110.0f);
             // It stays on: every tick its conditions hold, B gains 10 more.
             TRG_Update(TriggerLevel::Hero());
             EXPECT_EQ(TRG_LastFired, 1u);
             EXPECT_EQ(b->life, 120.0f);
         },
         false},
        {"show a disabled B", TRG_DO_SHOW_B, -1, c, -1,
         [](ActorRecord *, ActorRecord *b) {
             b->flags[3] |= ACTOR_F3_DISABLED;
             Hide_Obj_Tree(b->node);
             TriggerLevel::Place(b, 0, 0, 0);
             counter = FX_BallCount;
             // As a load leaves a character hidden for a trigger: out of the groups.
             AI_BuildGroups();
             EXPECT_FALSE(Grouped(b));
         },
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_FALSE(Disabled(b));
             EXPECT_FALSE(TreeHidden(b->node));
             EXPECT_EQ(b->position[2], double(tl::kCreatureStart[2])) << "back at its start";
             EXPECT_EQ(FX_BallCount, counter + 1) << "a glow ball rises with it";
             EXPECT_TRUE(Grouped(b)) << "regrouped: the AI steps it again";
             EXPECT_NE(b->group_parent, nullptr);
         },
         true},
        {"show an enabled dead B", TRG_DO_SHOW_B, -1, c, -1,
         [](ActorRecord *, ActorRecord *b) {
             b->current_anim = 50;
             TriggerLevel::Place(b, 0, 0, 0);
         },
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_EQ(b->current_anim, 0);
             EXPECT_FALSE(Disabled(b));
             EXPECT_EQ(b->position[2], double(tl::kCreatureStart[2]));
         },
         true},
        {"show B with its path", TRG_DO_SHOW_B, -1, c, tl::kPathZone, [](ActorRecord *, ActorRecord *) { fields = PHY_FieldCount; },
         [](ActorRecord *, ActorRecord *) {
             EXPECT_EQ(PHY_FieldCount, fields + 2);
             EXPECT_EQ(PRJ_Current->zones[tl::kPathZone].field_handle, fields + 1);
         },
         true},
        {"hide B and its path", TRG_DO_HIDE_B, -1, c, tl::kPathZone,
         [](ActorRecord *, ActorRecord *b) {
             ZON_WalkPath(&PRJ_Current->zones[tl::kPathZone]);
             fields = PHY_FieldCount;
             EXPECT_TRUE(Grouped(b));
         },
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_TRUE(Disabled(b));
             EXPECT_TRUE(TreeHidden(b->node));
             EXPECT_FALSE(Grouped(b)) << "regrouped without it";
             EXPECT_EQ(PHY_Fields[fields - 1].active, 0);
             EXPECT_EQ(PHY_Fields[fields - 2].active, 0);
             EXPECT_EQ(PHY_Fields[0].active, 1) << "gravity stays";
         },
         true},
        {"hide, the path's handle none", TRG_DO_HIDE_B, -1, -1, tl::kPathZone,
         [](ActorRecord *, ActorRecord *) { PRJ_Current->zones[tl::kPathZone].field_handle = -1; },
         [](ActorRecord *, ActorRecord *) {
             for (int32_t i = 0; i < PHY_FieldCount; i++) {
                 EXPECT_EQ(PHY_Fields[i].active, 1) << i;
             }
         },
         true},
        {"hide a disabled B, no zone", TRG_DO_HIDE_B, -1, c, -1,
         [](ActorRecord *, ActorRecord *b) { b->flags[3] |= ACTOR_F3_DISABLED; }, nothing, false},
        {"first timer", TRG_DO_TIMER1_B, -1, c, -1, nothing,
         [](ActorRecord *, ActorRecord *b) { EXPECT_EQ(b->pursuit_range, 50000); }, true},
        {"second timer", TRG_DO_TIMER2_B, -1, c, -1, nothing,
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_EQ(b->sight_radius, 40000);
             EXPECT_NE(b->flags[4] & ACTOR_F4_SEES_ALL_ROUND, 0);
         },
         true},
        {"mark", TRG_DO_MARK_B, -1, c, -1, nothing,
         [](ActorRecord *, ActorRecord *b) { EXPECT_NE(b->flags[5] & ACTOR_F5_FOLLOWS_HERO, 0); }, true},
        {"give B", TRG_DO_GIVE_B, -1, tl::kCrystal, -1, nothing,
         [](ActorRecord *, ActorRecord *b) {
             EXPECT_EQ(INV_Has(TriggerLevel::Hero(), b->node_name), 1);
             EXPECT_STREQ(INV_Data.names[0], b->node_name);
             // The HUD is told of the item by name.
             const std::vector<MGM_Event> events = MenjEvents();
             ASSERT_EQ(events.size(), 1u);
             EXPECT_EQ(events[0].type, MENJ_PICKUP);
             EXPECT_STREQ(MENJ_PostedName(events[0].a), b->node_name);
         },
         true},
        {"move B to A", TRG_DO_MOVE_B_TO_A, c2, c, -1, nothing,
         [](ActorRecord *a, ActorRecord *b) {
             EXPECT_EQ(b->position[0], a->position[0] + 100.0);
             EXPECT_EQ(b->position[1], a->position[1]);
             EXPECT_EQ(b->position[2], a->position[2] + 100.0);
             int32_t node[3];
             Get_Obj_Pos(b->node, node);
             EXPECT_EQ(node[0], int32_t(a->position[0])) << "the node goes to A itself";
             EXPECT_EQ(node[2], int32_t(a->position[2]));
         },
         true},
        {"move, both missing", TRG_DO_MOVE_B_TO_A, -1, -1, -1, nothing, nothing, false},
        {"show all", TRG_DO_SHOW_ALL, -1, -1, -1,
         [](ActorRecord *, ActorRecord *) {
             for (int32_t e : {tl::kBox, tl::kCreature}) {
                 TriggerLevel::Actor(e)->flags[3] |= ACTOR_F3_DISABLED;
                 Hide_Obj_Tree(TriggerLevel::Actor(e)->node);
             }
         },
         [](ActorRecord *, ActorRecord *) {
             for (int32_t e : {tl::kBox, tl::kCreature}) {
                 EXPECT_FALSE(Disabled(TriggerLevel::Actor(e)));
                 EXPECT_FALSE(TreeHidden(TriggerLevel::Actor(e)->node));
             }
         },
         true},
        {"unlock the exits", TRG_DO_UNLOCK_EXITS, -1, -1, -1, nothing,
         [](ActorRecord *, ActorRecord *) { EXPECT_EQ(TRG_ExitsUnlocked(), 1); }, true},
        {"brighten", TRG_DO_BRIGHTEN, -1, -1, -1,
         [](ActorRecord *, ActorRecord *) {
             TEX_Shading.tint[0] = 1;
             TEX_Shading.tint[1] = -2;
             TEX_Shading.tint[2] = 3;
         },
         [](ActorRecord *, ActorRecord *) {
             EXPECT_EQ(TEX_Shading.tint[0], 65);
             EXPECT_EQ(TEX_Shading.tint[1], 62);
             EXPECT_EQ(TEX_Shading.tint[2], 67);
         },
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Load(kalder_test::TriggerLevelRecord());
        TriggerSource t = Source(0, row.actions, row.a, row.b);
        t.zone = row.zone;
        Sources({t});
        ActorRecord *a = Actor(row.a), *b = Actor(row.b);
        row.before(a, b);
        TRG_Update(Hero());
        EXPECT_TRUE(Fired(0));
        row.after(a, b);
        EXPECT_EQ(Active(0), !row.ended);
    }
}

TEST_F(TriggerTest, RepeatingShowPutsBBackEveryTick)
{
    TriggerSource t = Source(TRG_IF_REPEAT_TIMER, TRG_DO_SHOW_B, -1, tl::kCreature);
    Sources({t});
    ActorRecord *b = Actor(tl::kCreature);
    for (int tick = 0; tick < 3; tick++) {
        TriggerLevel::Place(b, 77.0, 0.0, 77.0);
        TRG_Update(Hero());
        EXPECT_TRUE(Fired(0));
        EXPECT_TRUE(Active(0));
        EXPECT_EQ(b->position[0], double(tl::kCreatureStart[0])) << tick;
    }
    // Its path part ends it even so.
    t.zone = tl::kPathZone;
    Sources({t});
    TRG_Update(Hero());
    EXPECT_FALSE(Active(0));
}

// An item named by an element is asked for under its node name ("LIF1" for "LIF1.3DC"), the name the
// pick-ups and the gifts give it.
TEST_F(TriggerTest, InventoryConditionsAskForTheElementsItem)
{
    struct Row {
        uint32_t condition;
        bool carried;
        bool fires;
    };
    const Row rows[] = {
        {TRG_IF_HAS_A, false, false}, {TRG_IF_HAS_A, true, true},   {TRG_IF_LACKS_A, false, true},
        {TRG_IF_LACKS_A, true, false}, {TRG_IF_LACKS_B, false, true}, {TRG_IF_LACKS_B, true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.condition << (row.carried ? " carried" : " not carried"));
        Load(kalder_test::TriggerLevelRecord());
        if (row.carried) {
            ASSERT_EQ(INV_Add(Hero(), Actor(tl::kCrystal)->node_name), 1);
        }
        Sources({Source(row.condition, TRG_DO_UNLOCK_EXITS, tl::kCrystal, tl::kCrystal)});
        TRG_Evaluate(Hero());
        EXPECT_EQ(Fired(0), row.fires);
    }
    // A file name without "." is asked as it stands.
    Load(kalder_test::TriggerLevelRecord());
    std::memcpy(PRJ_Current->elements[tl::kAbsent].file, "key\0", 4);
    ASSERT_EQ(INV_Add(Hero(), "key"), 1);
    Sources({Source(TRG_IF_HAS_A, TRG_DO_UNLOCK_EXITS, tl::kAbsent)});
    TRG_Evaluate(Hero());
    EXPECT_TRUE(Fired(0));
}

TEST_F(TriggerTest, TheDialogueEventGoesOutAtOnceOrWhenTheHeroStandsIdle)
{
    struct Row {
        const char *name;
        float fade;
        uint32_t conditions, actions;
        int32_t mode, anim;
        uint8_t flags0;
        bool posted;
    };
    const Row rows[] = {
        {"on the ground, idle", 0.0f, 0, 0, 1, 0, 0, true},
        {"on the ground, idle 1", 0.0f, 0, 0, 1, 0x10001, 0, true},
        {"on the ground, walking", 0.0f, 0, 0, 1, 4, 0, false},
        {"on the ground, idle but switching", 0.0f, 0, 0, 1, 0, ACTOR_F0_ANIM_RESTART2, false},
        {"swimming", 0.0f, 0, 0, 2, 4, 0, true},
        {"once timer", 0.0f, TRG_IF_ONCE_TIMER, 0, 1, 4, 0, true},
        {"touch A", 0.0f, TRG_IF_TOUCH_A, 0, 1, 4, 0, true},
        {"first timer", 0.0f, 0, TRG_DO_TIMER1_B, 1, 4, 0, true},
        {"unlock", 0.0f, 0, TRG_DO_UNLOCK_EXITS, 1, 4, 0, true},
        {"show B", 0.0f, 0, TRG_DO_SHOW_B, 1, 4, 0, true},
        {"with a camera shot", 0.0f, 0, TRG_DO_CAMERA_NEAR, 2, 0, 0, false},
        {"with a far shot", 0.0f, 0, TRG_DO_CAMERA_FAR, 2, 0, 0, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Load(kalder_test::TriggerLevelRecord());
        TriggerSource t = Source(row.conditions, row.actions);
        t.event = 5;
        Sources({t});
        ActorRecord *hero = Hero();
        hero->physics_mode = row.mode;
        hero->current_anim = row.anim;
        hero->flags[0] = uint8_t((hero->flags[0] & ~ACTOR_F0_ANIM_RESTART2) | row.flags0);
        GAME_FadeTimer = row.fade;
        TRG_Evaluate(hero);
        const std::vector<MGM_Event> events = MenjEvents();
        ASSERT_EQ(events.size(), row.posted ? 1u : 0u);
        if (row.posted) {
            EXPECT_EQ(events[0].type, 0x40);
            EXPECT_EQ(events[0].a, 4);
            EXPECT_FALSE(Active(0));
        } else if (row.actions == 0) {
            // Waiting: it goes out on the first tick the hero stands idle.
            EXPECT_TRUE(Active(0));
            hero->current_anim = 1;
            hero->flags[0] &= uint8_t(~ACTOR_F0_ANIM_RESTART2);
            TRG_Evaluate(hero);
            ASSERT_EQ(MenjEvents().size(), 1u);
            EXPECT_FALSE(Active(0));
        }
    }
    // An earlier action that ends the record loses the waiting event.
    Load(kalder_test::TriggerLevelRecord());
    TriggerSource t = Source(0, TRG_DO_BRIGHTEN);
    t.event = 5;
    Sources({t});
    Hero()->physics_mode = 1;
    Hero()->current_anim = 4;
    TRG_Evaluate(Hero());
    EXPECT_FALSE(Active(0));
    Hero()->current_anim = 0;
    TRG_Evaluate(Hero());
    EXPECT_TRUE(MenjEvents().empty());
    // The lowest entry number wraps as a 32-bit subtraction does.
    Sources({Source(TRG_IF_ONCE_TIMER, 0)});
    TRG_Records[0].event_argument = INT32_MIN;
    TRG_Evaluate(Hero());
    const std::vector<MGM_Event> wrapped = MenjEvents();
    ASSERT_EQ(wrapped.size(), 1u);
    EXPECT_EQ(wrapped[0].a, INT32_MAX);
    // Evaluated during a fade (as the coupled object's evaluation may be), the event is not posted.
    Sources({Source(0, 0)});
    TRG_Records[0].event_argument = 5;
    GAME_FadeTimer = 2.0f;
    TRG_Evaluate(Hero());
    EXPECT_TRUE(MenjEvents().empty());
    EXPECT_TRUE(Active(0));
}

TEST_F(TriggerTest, CameraShotsLookAtBFromItsFacing)
{
    ActorRecord *b = Actor(tl::kCreature);
    b->position[0] = 100.75;
    b->position[1] = 140.5;
    b->position[2] = -200.25;
    b->radius = 40;
    struct Row {
        const char *name;
        uint32_t action;
        int32_t anim, heading;
        double scale[3], offset[3];
    };
    const Row rows[] = {
        {"near, idle, heading 0", TRG_DO_CAMERA_NEAR, 0, 0, {3.0, 3.0, 3.0}, {0.0, -150.0, 0.0}},
        {"near, idle, heading 1024", TRG_DO_CAMERA_NEAR, 0, 1024, {3.0, 3.0, 3.0}, {0.0, -150.0, 0.0}},
        {"near, moving", TRG_DO_CAMERA_NEAR, 4, 1024, {8.0, 8.0, 8.0}, {0.0, -250.0, 0.0}},
        {"far", TRG_DO_CAMERA_FAR, 4, 0, {8.0, 4.0, 8.0}, {-200.0, -600.0, -200.0}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        b->current_anim = row.anim;
        b->heading = row.heading;
        ActorRecord scratch = *b;
        MIS_CompLaunchPos(b, &scratch);
        Sources({Source(0, row.action, -1, tl::kCreature)});
        TRG_Evaluate(Hero());
        EXPECT_FALSE(Active(0));
        CAM_CompCameraPos();
        EXPECT_EQ(CAM_Mode, CAM_SHOT);
        EXPECT_EQ(CAM_Shot.first, b);
        EXPECT_EQ(CAM_Shot.timer, 90.0f);
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(CAM_Shot.camera[k], trunc_i32(b->position[k] + (row.scale[k] * scratch.velocity[k] + row.offset[k]))) << k;
        }
    }
    // In the fight stance the far shot waits 60 frames, then goes out once the stance is gone.
    Hero()->flags[4] |= ACTOR_F4_PITCH_STEERING;
    TriggerSource far = Source(TRG_IF_NEAR_B, TRG_DO_CAMERA_FAR, -1, tl::kCreature);
    TriggerLevel::PlaceFrom(b, Hero(), 100.0);
    Sources({far});
    TRG_Evaluate(Hero());
    EXPECT_TRUE(Fired(0));
    EXPECT_TRUE(Active(0));
    EXPECT_EQ(TRG_Records[0].countdown, 60.0f);
    Hero()->flags[4] &= uint8_t(~ACTOR_F4_PITCH_STEERING);
    TRG_Evaluate(Hero());
    EXPECT_TRUE(Fired(0)) << "without a timer bit the countdown blocks nothing";
    EXPECT_FALSE(Active(0));
    // With a timer bit it waits the 60 frames.
    far.conditions = TRG_IF_ONCE_TIMER;
    Hero()->flags[4] |= ACTOR_F4_PITCH_STEERING;
    Sources({far});
    TRG_Evaluate(Hero());
    EXPECT_TRUE(Active(0));
    Hero()->flags[4] &= uint8_t(~ACTOR_F4_PITCH_STEERING);
    int ticks = 0;
    while (Active(0) && ticks < 100) {
        TRG_Evaluate(Hero());
        ticks++;
    }
    EXPECT_EQ(ticks, 60);
}

// A box-less exit that waits for the triggers opens on the tick after the trigger unlocked it: the
// tick tests the exits before it evaluates the triggers.
TEST_F(TriggerTest, AnExitWaitingForTheTriggersOpensTheTickAfter)
{
    LevelRecordBuilder record = kalder_test::TriggerLevelRecord();
    record.Exit(0, "EXIT1", "Project1", EXIT_ON | EXIT_TRIGGER_TEST, {0, 0, 0}, {0, 0, 0});
    Load(record, {Source(TRG_IF_NEAR_B, TRG_DO_UNLOCK_EXITS, -1, tl::kCreature)});
    ActorRecord *hero = Hero();
    PRJ_Next = nullptr;
    for (int tick = 0; tick < 3; tick++) {
        PRJ_UpdateExits(hero);
        TRG_Update(hero);
    }
    EXPECT_EQ(GAME_FadeTimer, 0.0f) << "locked while the hero is far from B";
    TriggerLevel::PlaceFrom(Actor(tl::kCreature), hero, 300.0);
    PRJ_UpdateExits(hero);
    EXPECT_EQ(GAME_FadeTimer, 0.0f);
    TRG_Update(hero);
    EXPECT_EQ(TRG_ExitsUnlocked(), 1);
    PRJ_UpdateExits(hero);
    ASSERT_NE(PRJ_Next, nullptr);
    EXPECT_STREQ(PRJ_Next->name, "Project1");
    EXPECT_EQ(GAME_FadeTimer, 15.0f);
}

} // namespace
