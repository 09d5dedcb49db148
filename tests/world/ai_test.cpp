// Creature AI: grouping, the state tables, perception and sensing, orders, patrols, walking, fighting
// decisions and the line of sight.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "engine3d/coll.h"
#include "engine3d/maths.h"
#include "engine3d/workarea.h"
#include "tests/support/coll_meshes.h"
#include "tests/support/mem_file_source.h"
#include "tests/world/anim_fixture.h"
#include "core/rand.h"
#include "editor/edt.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/aim.h"
#include "world/level_record.h"
#include "world/prj.h"

namespace {

constexpr double Pi = 3.14159265358979;
constexpr double Two_Pi = 6.2831853071794;

std::vector<std::pair<ActorRecord *, int32_t>> Given;

void Observe(ActorRecord *member, int32_t action) { Given.emplace_back(member, action); }

class AiTest : public ::testing::Test {
protected:
    LevelRecord level{};

    void SetUp() override
    {
        for (ActorRecord &a : ACTOR_Slots) {
            ACTOR_InitRecord(&a);
        }
        ACTOR_BuildActiveLists();
        std::memset(&level, 0, sizeof level);
        PRJ_Current = &level;
        GAME_TimeFactor = 1.0;
        EDT_Active = 0;
        Given.clear();
        AI_ActionObserver = Observe;
        SYS_SRand(1);
    }
    void TearDown() override
    {
        AI_ActionObserver = nullptr;
        PRJ_Current = nullptr;
        AI_TopCount = AI_SquadCount = AI_MemberCount = 0;
    }

    // An in-use character of the camp at the position, heading along +x.
    static ActorRecord *Character(int32_t slot, int camp = 0, double x = 0, double z = 0)
    {
        ActorRecord *a = &ACTOR_Slots[slot];
        ACTOR_InitRecord(a);
        a->flags[0] |= ACTOR_F0_IN_USE;
        a->flags[1] |= ACTOR_F1_AI | (camp != 0 ? ACTOR_F1_TEAM : 0);
        a->position[0] = x;
        a->position[2] = z;
        a->requested_anim = -1;
        return a;
    }
    // A record that holds `a` placed at the bearing (radians, left positive) and distance from it.
    static void PlaceAt(ActorRecord *b, const ActorRecord *a, double bearing, double distance)
    {
        // Bearings turn against the heading: a heading of 0 looks along +x, and a point at +z lies
        // at -pi/2.
        b->position[0] = a->position[0] + distance * std::cos(-bearing);
        b->position[1] = a->position[1];
        b->position[2] = a->position[2] + distance * std::sin(-bearing);
    }
    static std::vector<int32_t> Actions(const ActorRecord *m)
    {
        std::vector<int32_t> out;
        for (const auto &g : Given) {
            if (g.first == m) {
                out.push_back(g.second);
            }
        }
        return out;
    }
    static std::vector<ActorRecord *> Members(const ActorRecord *group)
    {
        return std::vector<ActorRecord *>(group->group, group->group + group->group_count);
    }
    ZoneRecord *Path(int32_t index, std::vector<std::array<int32_t, 3>> points)
    {
        ZoneRecord *z = &level.zones[index];
        std::memset(z, 0, sizeof *z);
        z->flags = 1;
        z->type = 0;
        z->point_count = int32_t(points.size());
        for (size_t i = 0; i < points.size(); i++) {
            for (int k = 0; k < 3; k++) {
                z->points[i][k] = points[i][size_t(k)];
            }
        }
        return z;
    }
};

// ---------------------------------------------------------------------------------------------
// Grouping

TEST_F(AiTest, CastsGroupIntoSquadsAndTopGroups)
{
    struct Cast {
        const char *name;
        std::vector<int> camps;         // one entry per character from slot 3 on: its camp
        std::vector<int32_t> squads;    // member count of each squad, in list order
        std::vector<int32_t> tops;      // squad count of each top group
        int32_t members;
    };
    const Cast casts[] = {
        {"four of one camp", {0, 0, 0, 0}, {3, 1}, {2}, 4},
        {"ten of one camp", std::vector<int>(10, 0), {3, 3, 3, 1}, {3, 1}, 10},
        {"two and two", {1, 0, 1, 0}, {2, 2}, {1, 1}, 4},
        {"twenty: sixteen taken", std::vector<int>(20, 1), {3, 3, 3, 3, 3, 1}, {3, 3}, 16},
        {"none", {}, {}, {}, 0},
    };
    for (const Cast &c : casts) {
        SCOPED_TRACE(c.name);
        SetUp();
        std::vector<ActorRecord *> made;
        for (size_t i = 0; i < c.camps.size(); i++) {
            made.push_back(Character(int32_t(3 + i), c.camps[i]));
            made.back()->ai_state = 4; // stale state, cleared by the reset
            made.back()->group_parent = &ACTOR_Slots[0];
        }
        AI_BuildGroups();
        ASSERT_EQ(AI_SquadCount, int32_t(c.squads.size()));
        ASSERT_EQ(AI_TopCount, int32_t(c.tops.size()));
        ASSERT_EQ(AI_MemberCount, c.members);
        for (int32_t i = 0; i < AI_SquadCount; i++) {
            EXPECT_EQ(AI_SquadList[i]->group_count, c.squads[size_t(i)]) << "squad " << i;
            EXPECT_EQ(AI_SquadList[i]->ai_state, 0);
            for (ActorRecord *m : Members(AI_SquadList[i])) {
                EXPECT_EQ(m->group_parent, AI_SquadList[i]);
            }
        }
        for (int32_t i = 0; i < AI_TopCount; i++) {
            EXPECT_EQ(AI_TopList[i]->group_count, c.tops[size_t(i)]) << "top group " << i;
            for (ActorRecord *s : Members(AI_TopList[i])) {
                EXPECT_EQ(s->group_parent, AI_TopList[i]);
            }
        }
        // Camp 0 first, each camp in slot order; the squads' members follow the member list.
        std::vector<ActorRecord *> expected;
        for (int camp = 0; camp < 2; camp++) {
            for (size_t i = 0; i < made.size(); i++) {
                if (c.camps[i] == camp && expected.size() < 16) {
                    expected.push_back(made[i]);
                }
            }
        }
        EXPECT_EQ(std::vector<ActorRecord *>(AI_MemberList, AI_MemberList + AI_MemberCount), expected);
        std::vector<ActorRecord *> through_squads;
        for (int32_t i = 0; i < AI_SquadCount; i++) {
            for (ActorRecord *m : Members(AI_SquadList[i])) {
                through_squads.push_back(m);
            }
        }
        EXPECT_EQ(through_squads, expected);
        for (ActorRecord *m : made) {
            EXPECT_EQ(m->ai_state, 0);
            if (std::find(expected.begin(), expected.end(), m) == expected.end()) {
                EXPECT_EQ(m->group_parent, nullptr) << "left over";
            }
        }
    }
}

TEST_F(AiTest, RecordsLeftOutOfTheGroups)
{
    ActorRecord *kept_out = Character(3);
    kept_out->flags[1] |= ACTOR_F1_NO_GROUPING;
    kept_out->ai_state = 4;
    ActorRecord *disabled = Character(4);
    disabled->flags[3] |= ACTOR_F3_DISABLED;
    disabled->ai_state = 4;
    ActorRecord *object = &ACTOR_Slots[5];
    object->flags[0] |= ACTOR_F0_IN_USE;
    ActorRecord *coupled = Character(6);
    ACTOR_Slots[ACTOR_HERO].coupled = coupled;
    coupled->ai_state = 4;
    ActorRecord *grouped = Character(7);
    AI_BuildGroups();
    ASSERT_EQ(AI_MemberCount, 1);
    EXPECT_EQ(AI_MemberList[0], grouped);
    EXPECT_EQ(kept_out->ai_state, 0) << "kept out, but reset";
    EXPECT_EQ(disabled->ai_state, 4) << "disabled: not touched";
    EXPECT_EQ(coupled->ai_state, 4) << "the hero's coupled object: not touched";
}

TEST_F(AiTest, LeavingAndJoiningGroups)
{
    ActorRecord group, a, b, c, stranger;
    for (ActorRecord *r : {&group, &a, &b, &c, &stranger}) {
        ACTOR_InitRecord(r);
    }
    AI_AddMember(&group, &a);
    AI_AddMember(&group, &b);
    AI_AddMember(&group, &c);
    EXPECT_EQ(Members(&group), (std::vector<ActorRecord *>{&a, &b, &c}));
    EXPECT_EQ(b.group_parent, &group);
    AI_AddMember(&group, &stranger);
    EXPECT_EQ(group.group_count, 3) << "a full group takes no fourth member";
    EXPECT_EQ(stranger.group_parent, nullptr);

    EXPECT_EQ(AI_LeaveParent(&b), 1);
    EXPECT_EQ(Members(&group), (std::vector<ActorRecord *>{&a, &c})) << "order kept";
    EXPECT_EQ(b.group_parent, nullptr);
    // A record that names the group as its parent but is not among its members takes nobody out.
    stranger.group_parent = &group;
    EXPECT_EQ(AI_LeaveParent(&stranger), 1);
    EXPECT_EQ(Members(&group), (std::vector<ActorRecord *>{&a, &c}));
    EXPECT_EQ(stranger.group_parent, nullptr);
    EXPECT_EQ(AI_LeaveParent(&stranger), 1) << "no parent";

    // The reset clears the group's fields and keeps the rest.
    group.target = &a;
    group.leader = &a;
    group.ai_flags = 0xFFF;
    group.ai_state = 16;
    group.ai_previous_state = 1;
    group.path = &level.zones[0];
    group.enemy_count = 2;
    group.ally_count = 3;
    group.range = 7;
    group.group_parent = &stranger;
    AI_ResetGroup(&group);
    EXPECT_EQ(group.group_count, 0);
    EXPECT_EQ(group.target, nullptr);
    EXPECT_EQ(group.leader, nullptr);
    EXPECT_EQ(group.ai_flags, 0u);
    EXPECT_EQ(group.ai_state, 0);
    EXPECT_EQ(group.ai_previous_state, 0);
    EXPECT_EQ(group.path, nullptr);
    EXPECT_EQ(group.enemy_count, 0);
    EXPECT_EQ(group.ally_count, 0);
    EXPECT_EQ(group.range, 7);
    EXPECT_EQ(group.group_parent, &stranger);
}

TEST_F(AiTest, RemovingAnObjectTakesItOutOfEveryList)
{
    for (int32_t slot = 3; slot < 7; slot++) {
        Character(slot);
    }
    AI_BuildGroups();
    ActorRecord *second = &ACTOR_Slots[4];
    ActorRecord *squad = second->group_parent;
    AI_RemoveObject(second);
    EXPECT_EQ(std::vector<ActorRecord *>(AI_MemberList, AI_MemberList + AI_MemberCount),
              (std::vector<ActorRecord *>{&ACTOR_Slots[3], &ACTOR_Slots[5], &ACTOR_Slots[6]}));
    EXPECT_EQ(Members(squad), (std::vector<ActorRecord *>{&ACTOR_Slots[3], &ACTOR_Slots[5]}));
    EXPECT_EQ(second->group_parent, nullptr);
    // A squad goes from the squad list and its top group.
    ActorRecord *last = AI_SquadList[1];
    ActorRecord *top = last->group_parent;
    AI_RemoveObject(last);
    EXPECT_EQ(AI_SquadCount, 1);
    EXPECT_EQ(Members(top), (std::vector<ActorRecord *>{squad}));
}

// ---------------------------------------------------------------------------------------------
// State tables

TEST_F(AiTest, StateTablesStepFromTheOldState)
{
    struct Case {
        int32_t table, old_state;
        uint32_t flags;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 0, 0, 64},      {0, 16, 0x404, 64},    {0, 64, 0, 64},
        {1, 0, 0, 1},       {1, 1, 0x800, 32},     {1, 32, 0x40, 1},    {1, 1, 0x04, 16},
        {1, 16, 0x400, 0},  {1, 1, 0x804, 16},     {1, 1, 0, 1},        {1, 16, 0x04, 16},
        {1, 32, 0, 32},     {1, 64, 0xFFF, 64},
        {2, 0, 0, 1},       {2, 1, 0x800, 32},     {2, 32, 0x40, 2},    {2, 2, 0x04, 16},
        {2, 16, 0x400, 0},  {2, 2, 0x800, 2},      {2, 1, 0x04, 1},     {2, 2, 0x804, 16},
        // 32 + 0x40 goes to 1 and is not chained on through the rows of state 1 in the same step.
        {1, 32, 0x40 | 0x800 | 0x04, 1},
        {5, 0, 0, 64}, // a table number outside the three steps as table 0
    };
    ActorRecord top, squad;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "table " << c.table << " from " << c.old_state << " flags " << c.flags);
        level.ai_table = c.table;
        ACTOR_InitRecord(&top);
        ACTOR_InitRecord(&squad);
        AI_AddMember(&top, &squad);
        squad.ai_state = c.old_state;
        squad.ai_flags = c.flags;
        AI_StepStateTable(&top);
        EXPECT_EQ(squad.ai_state, c.expected);
        EXPECT_EQ(squad.ai_previous_state, c.old_state);
    }
}

TEST_F(AiTest, AnEngagedSquadWithNoEnemyGoesBackToPatrol)
{
    level.ai_table = 1;
    ActorRecord *m = Character(3);
    AI_BuildGroups();
    ActorRecord *squad = AI_SquadList[0];
    squad->ai_state = AI_STATE_ENGAGE;
    squad->ai_previous_state = AI_STATE_ENGAGE;
    ACTOR_BuildActiveLists();
    AI_Update();
    EXPECT_EQ(m->ai_flags & AI_FLAG_ENEMIES, 0u);
    EXPECT_EQ(squad->ai_flags & AI_FLAG_TARGET_DEAD, AI_FLAG_TARGET_DEAD);
    AI_Update();
    EXPECT_EQ(squad->ai_state, AI_STATE_IDLE);
    AI_Update();
    EXPECT_EQ(squad->ai_state, AI_STATE_PATROL_BESIDE);
}

// ---------------------------------------------------------------------------------------------
// Perception

TEST_F(AiTest, PerceptionSeesEnemiesInItsWindowAndRadius)
{
    struct Case {
        const char *name;
        double bearing, distance;
        bool all_round;
        int seen; // 1 an enemy, 0 nothing
    };
    const double sight = 2000.0;
    const Case cases[] = {
        {"ahead, near", 0.0, 500.0, false, 1},
        {"at the sight radius", 0.0, sight, false, 0},
        {"just inside the sight radius", 0.0, sight - 0.01, false, 1},
        {"pi/2 left", Pi / 2, 500.0, false, 0},
        {"pi/2 right", -Pi / 2, 500.0, false, 0},
        {"just inside pi/2", Pi / 2 - 0.001, 500.0, false, 1},
        {"just inside -pi/2", -(Pi / 2 - 0.001), 500.0, false, 1},
        {"behind", Pi, 500.0, false, 0},
        {"behind, all-round viewer", Pi, 500.0, true, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ActorRecord *m = Character(3, 0, 1000.0, 1000.0);
        if (c.all_round) {
            m->flags[4] |= ACTOR_F4_SEES_ALL_ROUND;
        }
        ActorRecord *e = Character(4, 1);
        PlaceAt(e, m, c.bearing, c.distance);
        ACTOR_BuildActiveLists();
        AI_ScanNeighbours(m);
        EXPECT_EQ(m->enemy_count, c.seen);
        EXPECT_EQ(m->ally_count, 0);
        if (c.seen != 0) {
            EXPECT_EQ(m->enemies[0], e);
            const double dx = e->position[0] - m->position[0], dz = e->position[2] - m->position[2];
            EXPECT_EQ(e->sort_distance, float(dx * dx + dz * dz));
        }
    }
}

TEST_F(AiTest, PerceptionListsAlliesAndSkipsTheUnseeable)
{
    ActorRecord *m = Character(3, 0, 0, 0);
    ActorRecord *ally = Character(4, 0, -700, 300); // behind: allies need no window
    ActorRecord *dead = Character(5, 1, 300, 0);
    dead->life = 0.0f;
    ActorRecord *not_target = Character(6, 1, 300, 10);
    not_target->flags[5] |= ACTOR_F5_NOT_TARGET;
    ActorRecord *disabled = Character(7, 1, 300, 20);
    disabled->flags[3] |= ACTOR_F3_DISABLED;
    ActorRecord *object = &ACTOR_Slots[8];
    object->flags[0] |= ACTOR_F0_IN_USE;
    object->flags[1] |= ACTOR_F1_TEAM;
    object->position[0] = 200;
    ACTOR_BuildActiveLists();
    AI_ScanNeighbours(m);
    EXPECT_EQ(m->enemy_count, 0);
    ASSERT_EQ(m->ally_count, 1);
    EXPECT_EQ(m->allies[0], ally);
    EXPECT_EQ(ally->sort_distance, float(700.0 * 700.0 + 300.0 * 300.0));
}

TEST_F(AiTest, TheTargetObjectAndTheLastAttackerComeFirst)
{
    ActorRecord *m = Character(3, 0, 0, 0);
    ActorRecord *near = Character(4, 1, 100, 0);
    ActorRecord *target = Character(5, 1, -900, 0);   // behind: listed as the target anyway
    ActorRecord *attacker = Character(6, 0, -800, 0); // same camp, behind: listed as the attacker
    target->sort_distance = 1.0f;
    attacker->sort_distance = 2.0f;
    m->target = target;
    m->last_attacker = attacker;
    ACTOR_BuildActiveLists();
    level.ai_table = 1;
    AI_ScanNeighbours(m);
    // Sorted: target (1.0), attacker (640000 now, as an ally it was measured), near (10000)...
    ASSERT_EQ(m->enemy_count, 3);
    EXPECT_EQ(m->enemies[0], target);
    EXPECT_EQ(m->enemies[1], near);
    EXPECT_EQ(m->enemies[2], attacker) << "listed as enemy, its sort distance overwritten as an ally";
    EXPECT_EQ(m->last_attacker, nullptr) << "consumed";
    ASSERT_EQ(m->ally_count, 1);
    EXPECT_EQ(m->allies[0], attacker);

    // A target of the same camp is an enemy only with table 0.
    ActorRecord *friend_target = Character(7, 0, 50, 0);
    m->target = friend_target;
    ACTOR_BuildActiveLists();
    AI_ScanNeighbours(m);
    EXPECT_EQ(m->enemy_count, 1);
    level.ai_table = 0;
    AI_ScanNeighbours(m);
    ASSERT_EQ(m->enemy_count, 2);
    EXPECT_EQ(m->enemies[0], friend_target);
}

TEST_F(AiTest, SevenEnemiesAreSortedAndCutToFive)
{
    ActorRecord *m = Character(3, 0, 0, 0);
    m->pursuit_range = 10;
    m->flags[4] |= ACTOR_F4_PURSUIT_ON_SIGHT;
    // Distances 700, 300, 500, 300, 100, 500, 900 in slot order: equal ones keep their slot order.
    const double d[7] = {700, 300, 500, 300, 100, 500, 900};
    std::vector<ActorRecord *> e;
    for (int i = 0; i < 7; i++) {
        e.push_back(Character(4 + i, 1, d[i], 0));
    }
    ACTOR_BuildActiveLists();
    AI_ScanNeighbours(m);
    ASSERT_EQ(m->enemy_count, 5);
    EXPECT_EQ(std::vector<ActorRecord *>(m->enemies, m->enemies + 5),
              (std::vector<ActorRecord *>{e[4], e[1], e[3], e[2], e[5]}));
    EXPECT_EQ(m->pursuit_range, 50000);
}

TEST_F(AiTest, SensingSetsTheMemberFlags)
{
    struct Case {
        const char *name;
        int enemies, allies;
        int32_t state;
        bool reached, target_dead;
        uint32_t expected;
    };
    const Case cases[] = {
        {"alone", 0, 0, 0, false, false, 0},
        {"one enemy", 1, 0, 0, false, false, 0x04 | 0x10},
        {"one ally", 0, 1, 0, false, false, 0x08 | 0x20},
        {"two enemies, one ally", 2, 1, 0, false, false, 0x04 | 0x08 | 0x10},
        {"one each", 1, 1, 0, false, false, 0x04 | 0x08},
        {"moving and there", 0, 0, AI_STATE_MOVE, true, false, 0x01 | 0x02},
        {"moving, not there", 0, 0, AI_STATE_MOVE, false, false, 0},
        {"there but not moving", 0, 0, AI_STATE_FIGHT, true, false, 0},
        {"fighting a dead target", 0, 0, AI_STATE_FIGHT, false, true, 0x400},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ActorRecord *m = Character(3, 0, 0, 0);
        m->flags[4] |= ACTOR_F4_SEES_ALL_ROUND;
        int32_t slot = 4;
        for (int i = 0; i < c.enemies; i++) {
            Character(slot++, 1, 100.0 * (i + 1), 0);
        }
        for (int i = 0; i < c.allies; i++) {
            Character(slot++, 0, -100.0 * (i + 1), 0);
        }
        m->ai_state = c.state;
        m->arrival_margin = 100;
        m->ai_target[0] = c.reached ? 150.0f : 151.0f; // margin + 50
        if (c.target_dead) {
            ActorRecord *dead = Character(slot++, 1, 5000, 0);
            dead->life = 0.0f;
            m->target = dead;
        }
        m->ai_flags = 0xFFFF;
        ACTOR_BuildActiveLists();
        AI_SenseMember(m);
        EXPECT_EQ(m->ai_flags, c.expected);
    }
}

TEST_F(AiTest, ReachingTakesAWiderMarginWhileRunning)
{
    ActorRecord *m = Character(3);
    m->arrival_margin = 100;
    m->ai_target[0] = 300.0f;
    m->ai_target[1] = 5000.0f; // height is not counted
    m->ai_target[2] = 0.0f;
    EXPECT_EQ(AI_ReachedTarget(m), 0);
    m->current_anim = 4;
    EXPECT_EQ(AI_ReachedTarget(m), 1);
    m->ai_target[0] = 300.001f;
    EXPECT_EQ(AI_ReachedTarget(m), 0);
}

TEST_F(AiTest, TheSquadSummaryKeepsRunningCounts)
{
    struct Case {
        const char *name;
        std::vector<uint32_t> member_flags;
        std::vector<int32_t> member_states;
        uint32_t expected;
    };
    const Case cases[] = {
        {"member 0 arrived while moving", {0x03, 0x04}, {2, 2}, 0x01 | 0x04 | 0x400},
        {"member 1 arrived: not counted", {0x04, 0x03}, {2, 2}, 0x04},
        {"member 0 arrived but not moving", {0x03}, {4}, 0x400},
        {"no enemy anywhere", {0x08, 0x08}, {0, 0}, 0x400 | 0x08},
        {"enemies first", {0x04, 0}, {0, 0}, 0x04},
        {"talk ended in state 16", {0x40, 0x40}, {16, 2}, 0x40 | 0x400},
        {"talk ended, not meeting", {0x40}, {2}, 0x400},
        {"wants to talk", {0, 0x800}, {0, 0}, 0x400 | 0x800},
        // 0x10 after member 0, then the counts level and 0x20 leads: both bits end up set.
        {"outnumbered then outnumbering", {0x14, 0x24, 0x24}, {0, 0, 0}, 0x04 | 0x10 | 0x20},
        {"level counts", {0x14, 0x2C}, {0, 0}, 0x04 | 0x08 | 0x10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ActorRecord squad, members[3];
        ACTOR_InitRecord(&squad);
        for (size_t i = 0; i < c.member_flags.size(); i++) {
            ACTOR_InitRecord(&members[i]);
            members[i].ai_flags = c.member_flags[i];
            members[i].ai_state = c.member_states[i];
            AI_AddMember(&squad, &members[i]);
        }
        squad.ai_flags = 0x1000;
        AI_SummariseSquad(&squad);
        EXPECT_EQ(squad.ai_flags, c.expected);
    }
}

// ---------------------------------------------------------------------------------------------
// Orders

TEST_F(AiTest, EnteringAPatrolAndStayingInIt)
{
    level.ai_table = 2;
    Path(0, {{0, 0, 0}, {1000, 0, 0}, {2000, 0, 0}});
    ActorRecord *a = Character(3, 0, 1900, 0);
    ActorRecord *b = Character(4, 0, 1000, 0);
    ActorRecord *c = Character(5, 0, 0, 0);
    AI_BuildGroups();
    ActorRecord *squad = AI_SquadList[0];
    ActorRecord *partner = Character(9, 1, 99999, 0);
    squad->target = partner;
    squad->ai_state = AI_STATE_PATROL_LINE;
    squad->ai_previous_state = AI_STATE_IDLE;
    AI_GroupOrders(squad);
    // Entering: every member gets the squad's target object, its nearest waypoint and the reached
    // mark, and steps its patrol from there.
    const int32_t entered[3] = {2, 2, 1};
    for (ActorRecord *m : {a, b, c}) {
        EXPECT_EQ(m->ai_state, AI_STATE_MOVE);
        EXPECT_EQ(m->target, partner);
        EXPECT_EQ(m->path, &level.zones[0]);
        EXPECT_NE(m->ai_flags & AI_FLAG_REACHED, 0u);
    }
    EXPECT_EQ(a->waypoint, entered[0]) << "nearest 2, held there and turned back";
    EXPECT_EQ(a->waypoint_step, -1);
    EXPECT_EQ(b->waypoint, entered[1]);
    EXPECT_EQ(c->waypoint, entered[2]);
    EXPECT_EQ(a->ai_target[0], 2000.0f);

    // Staying: no target object; the leader steps on, the others follow in line behind.
    squad->ai_previous_state = AI_STATE_PATROL_LINE;
    a->ai_flags = AI_FLAG_REACHED;
    AI_GroupOrders(squad);
    EXPECT_EQ(a->target, nullptr);
    EXPECT_EQ(a->waypoint, 1);
    EXPECT_EQ(b->waypoint, 2) << "one step behind the leader";
    EXPECT_EQ(b->ai_target[0], 2000.0f);
    EXPECT_EQ(c->waypoint, 2) << "one step behind member 1, clamped";
    EXPECT_EQ(c->waypoint_step, 1) << "reversed from member 1's -1";

    // State 1 places the followers beside the leader instead.
    squad->ai_state = squad->ai_previous_state = AI_STATE_PATROL_BESIDE;
    a->heading = 0;
    AI_GroupOrders(squad);
    const double tl = double(4096 - 2560) * Two_Pi / 4096.0, tr = double(4096 - 1536) * Two_Pi / 4096.0;
    EXPECT_EQ(b->ai_target[0], float(a->position[0] + 196.0 * std::cos(tl)));
    EXPECT_EQ(b->ai_target[2], float(a->position[2] + 196.0 * std::sin(tl)));
    EXPECT_EQ(c->ai_target[0], float(a->position[0] + 196.0 * std::cos(tr)));
    EXPECT_EQ(c->ai_target[2], float(a->position[2] + 196.0 * std::sin(tr)));
}

TEST_F(AiTest, FollowingInLineStaysOneStepBehind)
{
    ZoneRecord *path = Path(0, {{0, 0, 0}, {100, 0, 0}, {200, 0, 0}, {300, 0, 0}});
    ACTOR_Slots[ACTOR_SCENE].position[0] = 10.7; // points are relative to the scene, truncated
    ActorRecord leader, follower;
    ACTOR_InitRecord(&leader);
    ACTOR_InitRecord(&follower);
    follower.radius = 61;
    EXPECT_EQ(AI_FollowInLine(&follower, &leader), 0) << "no path";
    EXPECT_EQ(follower.arrival_margin, 130);
    leader.path = path;
    struct Case {
        int32_t waypoint, step, expected, expected_step;
    };
    const Case cases[] = {{2, 1, 1, 1}, {2, -1, 3, -1}, {0, 1, 0, -1}, {3, -1, 3, 1}, {9, 1, 3, -1}};
    for (const Case &c : cases) {
        leader.waypoint = c.waypoint;
        leader.waypoint_step = c.step;
        EXPECT_EQ(AI_FollowInLine(&follower, &leader), 1);
        EXPECT_EQ(follower.waypoint, c.expected) << c.waypoint << " " << c.step;
        EXPECT_EQ(follower.waypoint_step, c.expected_step);
        EXPECT_EQ(follower.ai_target[0], float(c.expected * 100 + 10));
        EXPECT_EQ(follower.path, path);
    }
    path->point_count = 0;
    EXPECT_EQ(AI_FollowInLine(&follower, &leader), 0) << "a path of no point is no path";
}

TEST_F(AiTest, FormationPointsAndApproachPoints)
{
    ActorRecord leader, m;
    ACTOR_InitRecord(&leader);
    ACTOR_InitRecord(&m);
    leader.position[0] = 1000;
    leader.position[1] = 77;
    leader.position[2] = -500;
    leader.radius = 160;
    for (int32_t heading : {0, 1024, 3000}) {
        SCOPED_TRACE(heading);
        leader.heading = heading;
        AI_FormationLeft(&m, &leader);
        const double tl = double(4096 - (heading + 2560) % 4096) * Two_Pi / 4096.0;
        EXPECT_EQ(m.ai_target[0], float(1000.0 + 196.0 * std::cos(tl)));
        EXPECT_EQ(m.ai_target[1], 77.0f);
        EXPECT_EQ(m.ai_target[2], float(-500.0 + 196.0 * std::sin(tl)));
        EXPECT_EQ(m.arrival_margin, 247);
        AI_FormationRight(&m, &leader);
        const double tr = double(4096 - (heading + 1536) % 4096) * Two_Pi / 4096.0;
        EXPECT_EQ(m.ai_target[0], float(1000.0 + 196.0 * std::cos(tr)));
        EXPECT_EQ(m.ai_target[2], float(-500.0 + 196.0 * std::sin(tr)));
    }

    leader.heading = 1000;
    for (int32_t anim : {0, 4, 44, 45, 5}) {
        SCOPED_TRACE(anim);
        leader.current_anim = anim;
        AI_ApproachPoint(&m, &leader);
        const bool ahead = anim == 4 || anim == 44 || anim == 45;
        const double t = double(4096 - 1000) * Two_Pi / 4096.0;
        EXPECT_EQ(m.ai_target[0], float(1000.0 + (ahead ? 350.0 * std::cos(t) : 0.0)));
        EXPECT_EQ(m.ai_target[2], float(-500.0 + (ahead ? 350.0 * std::sin(t) : 0.0)));
        EXPECT_EQ(m.arrival_margin, 247);
    }
    m.radius = 135;
    leader.radius = 160;
    AI_TargetObject(&m, &leader);
    EXPECT_EQ(m.arrival_margin, ((135 + 160) >> 1) + 100);
    EXPECT_EQ(m.ai_target[0], 1000.0f);
    EXPECT_EQ(m.ai_target[1], 77.0f);
}

TEST_F(AiTest, FindingThePathZone)
{
    ActorRecord *m = Character(3, 0, 510, 720);
    ACTOR_Slots[ACTOR_SCENE].position[0] = 10.0;
    ACTOR_Slots[ACTOR_SCENE].position[2] = 20.0;
    // m stands at (500, 700) relative to the scene.
    ZoneRecord *wrong_type = Path(1, {{0, 0, 0}});
    wrong_type->type = 1;
    ZoneRecord *unused = Path(2, {{0, 0, 0}});
    unused->flags = 0;
    ZoneRecord *edge = Path(3, {{0, 0, 0}});
    edge->box_min[0] = 500; // the member on the box's edge is not inside
    edge->box_max[0] = 900;
    edge->box_min[2] = 0;
    edge->box_max[2] = 900;
    ZoneRecord *holding = Path(4, {{0, 0, 0}});
    holding->box_min[0] = 499;
    holding->box_max[0] = 501;
    holding->box_min[2] = 699;
    holding->box_max[2] = 701;
    ZoneRecord *level_wide = Path(5, {{0, 0, 0}});
    level_wide->box_min[2] = 99999; // only the x bounds tell a level-wide path
    level_wide->box_max[2] = 99999;
    m->path_zone = 1;
    EXPECT_EQ(AI_FindPathZone(m), holding);
    m->path_zone = 5;
    EXPECT_EQ(AI_FindPathZone(m), level_wide);
    m->path_zone = 6;
    EXPECT_EQ(AI_FindPathZone(m), nullptr);
    for (int32_t start : {-1, 12, 1000}) {
        m->path_zone = start;
        EXPECT_EQ(AI_FindPathZone(m), nullptr) << start;
    }
}

// ---------------------------------------------------------------------------------------------
// Patrol

TEST_F(AiTest, AThreePointPathIsWalkedToAndFro)
{
    ActorRecord *m = Character(3);
    m->path = Path(0, {{0, 0, 0}, {100, 0, 0}, {200, 0, 0}});
    m->waypoint = 0;
    m->waypoint_step = 1;
    std::vector<int32_t> visited{m->waypoint};
    for (int i = 0; i < 7; i++) {
        m->ai_flags = AI_FLAG_REACHED;
        EXPECT_EQ(AI_PatrolStep(m), 1);
        visited.push_back(m->waypoint);
        EXPECT_EQ(m->ai_target[0], float(100 * m->waypoint));
    }
    EXPECT_EQ(visited, (std::vector<int32_t>{0, 1, 2, 2, 1, 0, 0, 1}));
    // Not at a point: nothing changes.
    m->ai_flags = 0;
    EXPECT_EQ(AI_PatrolStep(m), 0);
    EXPECT_EQ(m->waypoint, 1);
    EXPECT_EQ(m->arrival_margin, 135 / 2 + 100);
}

TEST_F(AiTest, WithoutAPathTheTargetIsTheFixedPoint)
{
    ActorRecord *m = Character(3, 0, 3000, 3000);
    for (int32_t count : {-1, 0}) {
        m->path = Path(0, {});
        m->path->point_count = count;
        m->ai_flags = AI_FLAG_REACHED;
        EXPECT_EQ(AI_PatrolStep(m), 0);
        EXPECT_EQ(m->ai_target[0], 500.0f);
        EXPECT_EQ(m->ai_target[1], 0.0f);
        EXPECT_EQ(m->ai_target[2], 500.0f);
        m->ai_target[0] = 1.0f;
        EXPECT_EQ(AI_NearestWaypoint(m), 0);
        EXPECT_EQ(m->ai_target[0], 500.0f);
    }
    m->path = nullptr;
    m->ai_target[0] = 1.0f;
    EXPECT_EQ(AI_NearestWaypoint(m), 0);
    EXPECT_EQ(m->ai_target[0], 500.0f);
    // A path whose points all lie beyond 1e8 (squared) gives 0.
    m->path = Path(0, {{20000, 0, 0}, {30000, 0, 0}});
    EXPECT_EQ(AI_NearestWaypoint(m), 0);
    m->path = Path(0, {{20000, 0, 0}, {3000, 0, 2000}, {3000, 0, 3000}, {3000, 0, 3000}});
    EXPECT_EQ(AI_NearestWaypoint(m), 2) << "first minimum wins";
}

TEST_F(AiTest, ABlockedMemberRoamsAndComesBack)
{
    ActorRecord *m = Character(3, 0, 1000, 2000);
    m->position[1] = 300;
    m->path = Path(0, {{0, 0, 0}, {100, 0, 0}});
    m->waypoint_step = 1;
    m->contact_measure = 100; // +10 a frame, less the time factor: +9
    m->restlessness = 500.0f;
    EXPECT_EQ(AI_PatrolStep(m), 0);
    EXPECT_EQ(m->restlessness, 509.0f);
    EXPECT_EQ(m->flags[6] & ACTOR_F6_ROAMING, 0);
    EXPECT_EQ(AI_PatrolStep(m), 0);
    // 518 passes 512: held there, roaming, and a random point with the first draws 41, 18467, 6334.
    EXPECT_EQ(m->restlessness, 512.0f);
    EXPECT_NE(m->flags[6] & ACTOR_F6_ROAMING, 0);
    EXPECT_NE(m->flags[5] & ACTOR_F5_ROAM_POINT, 0);
    EXPECT_EQ(m->ai_target[0], float(1000 + 1 - 500));
    EXPECT_EQ(m->ai_target[1], float(300 - 112));
    EXPECT_EQ(m->ai_target[2], float(2000 + 193 - 500));
    // Reaching the roaming point only clears its mark and goes back to the same waypoint.
    m->ai_flags = AI_FLAG_REACHED;
    EXPECT_EQ(AI_PatrolStep(m), 1);
    EXPECT_EQ(m->flags[5] & ACTOR_F5_ROAM_POINT, 0);
    EXPECT_EQ(m->waypoint, 0);
    EXPECT_EQ(m->ai_target[0], 0.0f);
    // While roaming the restlessness drops by the time factor and halves, until it ends at 0.
    EXPECT_EQ(m->restlessness, (512.0f - 1.0f) / 2.0f);
    std::vector<float> seen;
    m->ai_flags = 0;
    m->contact_measure = 0;
    while ((m->flags[6] & ACTOR_F6_ROAMING) != 0) {
        AI_PatrolStep(m);
        seen.push_back(m->restlessness);
    }
    EXPECT_EQ(seen.back(), 0.0f);
    EXPECT_EQ(seen.size(), 9u);
    // Not roaming any more, it grows restless again.
    m->contact_measure = 100;
    AI_PatrolStep(m);
    EXPECT_EQ(m->restlessness, 10.0f);
}

TEST_F(AiTest, AFollowerOfTheHeroKeepsNearIt)
{
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    hero->position[0] = 100;
    hero->position[1] = 50;
    hero->position[2] = 200;
    hero->heading = 700;
    hero->pitch = 100;
    for (double distance : {999.0, 1000.0, 1001.0}) {
        SCOPED_TRACE(distance);
        ActorRecord *m = Character(3, 0, 100 + distance, 200);
        m->position[1] = 50;
        m->flags[5] |= ACTOR_F5_FOLLOWS_HERO;
        const bool follows = distance <= 1000.0;
        EXPECT_EQ(AI_PatrolStep(m), follows ? 1 : 0);
        EXPECT_EQ(m->arrival_margin, 135 / 2 + (follows ? 250 : 100));
        if (follows) {
            const double a = double(4096 - 700) * Two_Pi / 4096.0, b = 100.0 * Two_Pi / 4096.0;
            EXPECT_EQ(m->ai_target[0], float(100.0 + 500.0 * std::cos(b) * std::cos(a)));
            EXPECT_EQ(m->ai_target[1], float(50.0 + 500.0 * std::sin(b)));
            EXPECT_EQ(m->ai_target[2], float(200.0 + 500.0 * std::cos(b) * std::sin(a)));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Walking

TEST_F(AiTest, TheTurnRuleOfABearing)
{
    EXPECT_EQ(AI_TurnAction(Pi / 16), -1);
    EXPECT_EQ(AI_TurnAction(Pi / 16 + 1e-9), 60);
    EXPECT_EQ(AI_TurnAction(-Pi / 16), -1);
    EXPECT_EQ(AI_TurnAction(-Pi / 16 - 1e-9), 61);
    EXPECT_EQ(AI_TurnAction(0.0), -1);
}

TEST_F(AiTest, WalkingTowardThePoint)
{
    struct Case {
        const char *name;
        double distance, bearing;
        uint32_t contact;
        bool may_run;
        std::vector<int32_t> actions;
        int32_t result;
    };
    const int32_t margin = 100;
    const Case cases[] = {
        {"ahead", 1000, 0.0, 0, false, {2}, 1},
        {"ahead, may run", 1000, 0.0, 0, true, {4}, 1},
        {"run at exactly twice the margin", 2 * margin, 0.0, 0, true, {4}, 1},
        {"walk just below twice the margin", 2 * margin - 0.01, 0.0, 0, true, {2}, 1},
        {"at the margin: still walking", margin, 0.0, 0, false, {2}, 1},
        {"inside the margin: arrived", margin - 0.01, 0.0, 0, false, {}, 0},
        {"a slight turn right", 1000, 0.3, 0, false, {60, 2}, 1},
        {"a slight turn left", 1000, -0.3, 0, false, {61, 2}, 1},
        {"a sharp turn right: no walk", 1000, 0.5, 0, false, {60}, 1},
        {"a sharp turn left: no walk", 1000, -0.5, 0, false, {61}, 1},
        {"contact 64 walks", 1000, 0.0, 64, false, {2}, 1},
        {"contact 65 stands", 1000, 0.0, 65, false, {}, 1},
        {"beyond the pursuit range stands", 50000.5, 0.0, 0, false, {}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Given.clear();
        ActorRecord *m = Character(3, 0, 0, 0);
        m->arrival_margin = margin;
        m->heading = 0;
        if (c.may_run) {
            m->flags[3] |= ACTOR_F3_MAY_RUN;
        }
        m->contact_measure = c.contact;
        m->ai_target[0] = float(c.distance * std::cos(-c.bearing));
        m->ai_target[2] = float(c.distance * std::sin(-c.bearing));
        EXPECT_EQ(AI_WalkToTarget(m, 0), c.result);
        EXPECT_EQ(Actions(m), c.actions);
    }
    // The bearing boundary itself, through the rule the walk uses.
    ActorRecord *m = Character(3, 0, 0, 0);
    m->ai_target[0] = 1000.0f;
    double b;
    ACTOR_BearingTo(m, 1000.0, 0.0, &b);
    EXPECT_EQ(AI_TurnAction(b), -1);
}

TEST_F(AiTest, TakingOffAndMovingInWaterOrAir)
{
    ActorRecord *m = Character(3, 0, 0, 0);
    m->flags[3] |= ACTOR_F3_TAKE_OFF;
    m->coll_flags[0] |= ACTOR_C0_CONTACT_A;
    m->arrival_margin = 100;
    m->ai_target[0] = 1000.0f;
    EXPECT_EQ(AI_WalkToTarget(m, 0), 1);
    EXPECT_EQ(Actions(m), (std::vector<int32_t>{8, 2}));
    EXPECT_EQ(m->physics_mode, 3);
    EXPECT_NE(m->coll_flags[0] & ACTOR_C0_FALL_MODE3, 0);

    struct Case {
        const char *name;
        int32_t mode, pitch;
        double dy;
        uint32_t contact;
        std::vector<int32_t> actions;
        int32_t mode_after, pitch_after;
    };
    const Case cases[] = {
        {"swimming level", 2, 0, 0, 0, {6}, 2, 0},
        {"flying level", 3, 0, 0, 0, {8}, 3, 0},
        {"flying, contact: on the ground again", 3, 0, 0, 5, {}, 1, 0},
        {"pitch relaxes by a quarter (and still points up)", 2, 400, 0, 0, {36, 6}, 2, 300},
        {"a negative pitch relaxes", 2, 4096 - 400, 0, 0, {38, 6}, 2, 4096 - 300},
        {"pitch -1 relaxes to 0", 2, 4095, 0, 0, {6}, 2, 0},
        {"a point above: pitch up", 2, 0, 1000, 0, {36, 6}, 2, 0},
        {"a point above, pitched up to the limit", 2, 683, 1000, 0, {6}, 2, 513},
        {"a point above, pitched just below the limit", 2, 681, 1000, 0, {36, 6}, 2, 511},
        {"a point below: pitch down", 2, 0, -1000, 0, {38, 6}, 2, 0},
        {"a point below, pitched down to the limit", 2, 4096 - 683, -1000, 0, {6}, 2, 4096 - 512},
        {"a point below, pitched just above the limit", 2, 4096 - 681, -1000, 0, {38, 6}, 2, 4096 - 510},
        {"contact 65 in the water", 2, 0, 0, 65, {}, 2, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Given.clear();
        m = Character(3, 0, 0, 0);
        m->physics_mode = c.mode;
        m->pitch = c.pitch;
        m->contact_measure = c.contact;
        m->arrival_margin = 100;
        m->ai_target[0] = 1000.0f;
        m->ai_target[1] = float(c.dy);
        EXPECT_EQ(AI_WalkToTarget(m, 0), 1);
        EXPECT_EQ(Actions(m), c.actions);
        EXPECT_EQ(m->physics_mode, c.mode_after);
        EXPECT_EQ(m->pitch, c.pitch_after);
    }
    // Arrived in the water: 0, and the move step then stands.
    Given.clear();
    m = Character(3, 0, 0, 0);
    m->physics_mode = 2;
    m->arrival_margin = 100;
    m->ai_target[0] = 50.0f;
    EXPECT_EQ(AI_WalkToTarget(m, 0), 0);
    m->ai_state = AI_STATE_MOVE;
    AI_UpdateLeaf(m);
    EXPECT_EQ(Actions(m), (std::vector<int32_t>{0}));
}

// ---------------------------------------------------------------------------------------------
// Fighting

class EngageTest : public AiTest {
protected:
    ActorRecord *m = nullptr;
    ActorRecord *t = nullptr;
    void Arrange(double distance)
    {
        m = Character(3, 0, 0, 0);
        t = Character(4, 1, distance, 0);
        m->target = t;
        m->ai_state = AI_STATE_FIGHT;
        AI_TargetObject(m, t); // margin 235: arrived within 315 with the reach of 80
        m->attack_chance = 20;
        m->parry_chance = 16;
        Given.clear();
    }
    std::vector<std::vector<int32_t>> Ticks(int n)
    {
        std::vector<std::vector<int32_t>> out;
        for (int i = 0; i < n; i++) {
            Given.clear();
            AI_EngageStep(m);
            out.push_back(Actions(m));
        }
        return out;
    }
};

TEST_F(EngageTest, AnArrivedMemberAttacksOnItsDraws)
{
    Arrange(200);
    // 41 -> 0 < 20: attack; 18467 picks 18; then 6334, 26500, 19169 give 24, 103, 74: no attack.
    EXPECT_EQ(Ticks(4), (std::vector<std::vector<int32_t>>{{18}, {}, {}, {}}));
}

TEST_F(EngageTest, AnAttackingTargetIsParried)
{
    Arrange(200);
    t->current_anim = 16;
    EXPECT_EQ(Ticks(1), (std::vector<std::vector<int32_t>>{{43}})) << "41 -> 0 < 16";
    // Draw 18467 gives 72: no parry; 6334 is v (24 >= 20): no attack.
    EXPECT_EQ(Ticks(1), (std::vector<std::vector<int32_t>>{{}}));
}

TEST_F(EngageTest, AChargingTargetSpeedsTheMemberUp)
{
    Arrange(200);
    t->current_anim = 9;
    // While the target leaps the blow is held: the first tick draws v (41) and speeds the member up,
    // but v is 32767 on every tick of the leap.
    EXPECT_EQ(Ticks(3), (std::vector<std::vector<int32_t>>{{}, {}, {}}));
    EXPECT_EQ(m->slow_time, 90.0f);
    EXPECT_EQ(m->slow_factor, 4.0f);
    // On the landing v is 0 (the slow factor is 4.0): an attack every tick, one draw each
    // (18467, 6334, 26500 give 18, 16, 22).
    t->current_anim = 0;
    EXPECT_EQ(Ticks(3), (std::vector<std::vector<int32_t>>{{18}, {16}, {22}}));
}

TEST_F(EngageTest, AChargingTargetFarAwayHoldsTheAttack)
{
    Arrange(200);
    m->arrival_margin = 1000;
    t->position[0] = 600; // 600^2 is not below 360000
    t->current_anim = 10;
    EXPECT_EQ(Ticks(2), (std::vector<std::vector<int32_t>>{{}, {}}));
    EXPECT_EQ(m->slow_factor, 0.0f);
}

TEST_F(EngageTest, AMemberThatDoesNotSpeedUp)
{
    Arrange(200);
    m->flags[6] |= ACTOR_F6_NO_SPEED_UP;
    t->current_anim = 9;
    EXPECT_EQ(Ticks(2), (std::vector<std::vector<int32_t>>{{18}, {}}));
    EXPECT_EQ(m->slow_factor, 0.0f);
}

TEST_F(EngageTest, TurningTowardTheTargetBeforeStriking)
{
    Arrange(0);
    PlaceAt(t, m, 0.3, 200);
    m->ai_target[0] = float(t->position[0]);
    m->ai_target[2] = float(t->position[2]);
    EXPECT_EQ(Ticks(1), (std::vector<std::vector<int32_t>>{{60, 18}}));
}

TEST_F(EngageTest, StillApproachingItWalksOn)
{
    Arrange(1000);
    EXPECT_EQ(Ticks(1), (std::vector<std::vector<int32_t>>{{2}}));
}

TEST_F(EngageTest, RangedAttacks)
{
    struct Case {
        const char *name;
        float gauge;
        double distance;
        std::vector<int32_t> actions;
        float gauge_after;
        int32_t slot_type;
    };
    const Case cases[] = {
        {"a full gauge casts", 25.0f, 1000, {2, 28}, 400.0f, 0x1},
        {"a low gauge shoots with a clear line", 15.0f, 1000, {2, 57}, 10.0f, 7},
        {"arrived: the ranged test comes first", 15.0f, 200, {57}, 10.0f, 7},
        {"beyond the sight radius: no shot", 25.0f, 2000, {2}, 25.0f, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Arrange(c.distance);
        m->flags[6] |= ACTOR_F6_RANGED;
        m->second_gauge = c.gauge;
        m->spell_slots[1][1] = 7;
        EXPECT_EQ(Ticks(1), (std::vector<std::vector<int32_t>>{c.actions}));
        EXPECT_EQ(m->second_gauge, c.gauge_after);
        EXPECT_EQ(m->spell_slots[1][1], c.slot_type);
    }
    // Out of the pi/4 window the draw is not made: the next draw is still the first, 41.
    SetUp();
    Arrange(1000);
    m->flags[6] |= ACTOR_F6_RANGED;
    PlaceAt(t, m, Pi / 4 + 0.01, 1000);
    m->ai_target[0] = float(t->position[0]);
    m->ai_target[2] = float(t->position[2]);
    m->pursuit_range = 0; // stands
    Ticks(1);
    EXPECT_EQ(SYS_Rand(), 41);
}

TEST_F(AiTest, IndividualDecisionsWeighCourage)
{
    struct Case {
        const char *name;
        int32_t range;
        float strength, life, enemy_life, enemy_strength;
        uint32_t flags;
        int32_t state;
    };
    const Case cases[] = {
        {"range 1000 always engages", 1000, 1.0f, 1.0f, 120.0f, 100.0f, 0, AI_STATE_FIGHT},
        {"range 5: 10000 - 2000", 5, 20.0f, 100.0f, 100.0f, 20.0f, 0, AI_STATE_FIGHT},
        {"range 1: 2000 - 2000 is 0", 1, 20.0f, 100.0f, 100.0f, 20.0f, 0, AI_STATE_FIGHT},
        {"range 0 patrols", 0, 20.0f, 100.0f, 100.0f, 20.0f, 0, AI_STATE_MOVE},
        {"wants to talk", 1000, 20.0f, 100.0f, 100.0f, 20.0f, AI_FLAG_WANTS_TALK, AI_STATE_MEET},
        {"talk ended", 1000, 20.0f, 100.0f, 100.0f, 20.0f, AI_FLAG_WANTS_TALK | AI_FLAG_TALK_ENDED, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ActorRecord *m = Character(3, 0, 0, 0);
        ActorRecord *e = Character(4, 1, 1000, 0);
        AI_BuildGroups();
        m->range = c.range;
        m->strength = c.strength;
        m->life = c.life;
        e->life = c.enemy_life;
        e->strength = c.enemy_strength;
        ACTOR_BuildActiveLists();
        AI_ScanNeighbours(m);
        m->ai_flags = c.flags;
        AI_IndividualStep(m->group_parent);
        EXPECT_EQ(m->ai_state, c.state);
        if (c.state == AI_STATE_FIGHT) {
            EXPECT_EQ(m->target, e);
            EXPECT_EQ(m->ai_target[0], 1000.0f);
        }
        if (c.state == AI_STATE_MOVE) {
            EXPECT_EQ(m->target, nullptr);
            EXPECT_NE(m->ai_flags & AI_FLAG_REACHED, 0u) << "entered the patrol";
            EXPECT_EQ(m->ai_target[0], 500.0f) << "no path";
        }
    }
}

TEST_F(AiTest, TargetsAreSpreadOverTheEnemies)
{
    ActorRecord *a = Character(3, 0, 0, 0);
    ActorRecord *b = Character(4, 0, 0, 100);
    ActorRecord *c = Character(5, 0, 0, 200);
    for (ActorRecord *m : {a, b, c}) {
        m->flags[4] |= ACTOR_F4_SEES_ALL_ROUND;
    }
    ActorRecord *near = Character(6, 1, 300, 0);
    ActorRecord *far = Character(7, 1, 1400, 0);
    AI_BuildGroups();
    ActorRecord *squad = AI_SquadList[0];
    // No enemy listed: nothing changes.
    a->ai_state = 2;
    a->target = b;
    AI_AssignTargets(squad);
    EXPECT_EQ(a->ai_state, 2);
    EXPECT_EQ(a->target, b);

    // (With table 0 a target object is listed first whatever its camp: clear it.)
    a->target = nullptr;
    ACTOR_BuildActiveLists();
    for (ActorRecord *m : {a, b, c}) {
        AI_ScanNeighbours(m);
    }
    AI_AssignTargets(squad);
    EXPECT_EQ(a->target, near);
    EXPECT_EQ(b->target, far) << "the least taken first, within 1500";
    EXPECT_EQ(c->target, near) << "every enemy taken once: the nearest again";
    for (ActorRecord *m : {a, b, c}) {
        EXPECT_EQ(m->ai_state, AI_STATE_FIGHT);
    }
    EXPECT_EQ(b->ai_target[0], 1400.0f);

    // Beyond 1500 the first pass finds nothing, and the second takes the nearest of all.
    far->position[0] = 1600;
    ACTOR_BuildActiveLists();
    for (ActorRecord *m : {a, b, c}) {
        AI_ScanNeighbours(m);
    }
    AI_AssignTargets(squad);
    EXPECT_EQ(a->target, near);
    EXPECT_EQ(b->target, near);
    EXPECT_EQ(c->target, far) << "the second pass: near is taken twice";

    // Exactly 1500 from b (900 across, 1200 along) is not within the first pass's limit; c, 1421
    // away, takes it in the first pass.
    far->position[0] = 900;
    far->position[2] = 1300;
    ACTOR_BuildActiveLists();
    for (ActorRecord *m : {a, b, c}) {
        AI_ScanNeighbours(m);
    }
    AI_AssignTargets(squad);
    EXPECT_EQ(a->target, near);
    EXPECT_EQ(b->target, near) << "1500 is beyond the limit";
    EXPECT_EQ(c->target, far);
}

TEST_F(AiTest, TheEditorHoldsTheAi)
{
    ActorRecord *m = Character(3, 0, 0, 0);
    Character(4, 1, 500, 0);
    AI_BuildGroups();
    ACTOR_BuildActiveLists();
    EDT_Active = 1;
    AI_Update();
    EXPECT_EQ(m->enemy_count, 0);
    EXPECT_EQ(AI_SquadList[0]->ai_state, 0);
    EDT_Active = 0;
    AI_Update();
    EXPECT_EQ(m->enemy_count, 1);
    EXPECT_EQ(AI_SquadList[0]->ai_state, AI_STATE_ALONE);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Line of sight, between two of the test figure's nodes over collision meshes.

namespace {

class SightTest : public anim_test::Figure {
protected:
    // Where the pipeline leaves a node each frame: its position in camera space, which with the root
    // camera at the origin and unturned is its world position.
    static void PlaceNode(OBJ_Handle node, const kalder_test::Vec3 &p)
    {
        const Addr record = W_Addr(Get_Obj_Ptr(node));
        for (int i = 0; i < 3; i++) {
            W_Set32(record + 76 + Addr(i) * 4, p[size_t(i)]);
        }
    }
};

TEST_F(SightTest, WallsBlockTheLineOfSight)
{
    Write();
    const OBJ_Handle other = Clone_Obj(figure);
    ASSERT_GE(other, 0);
    int32_t still[9];
    Mat_Rotate(0, 0, 0, still);
    const int32_t origin[3] = {0, 0, 0};
    Set_Obj_Matrix(0, still);
    Set_Obj_Pos(0, origin);
    Coll_Init();
    kalder_test::CollMeshSpec scene = kalder_test::Wall(-500, 500, 0, -300, 300);
    scene.Append(kalder_test::FloorGrid(4, 4, 500, 0, 2, {-1000, -400, -1000}));
    kalder_test::MemFiles_Add("sight.3di", scene.Bytes());
    const OBJ_Handle mesh = Load_Obj("sight.3di");
    ASSERT_GE(mesh, 0);
    Coll_Add_Mesh(mesh);

    ActorRecord a, b;
    ACTOR_InitRecord(&a);
    ACTOR_InitRecord(&b);
    a.node = figure;
    b.node = other;
    struct Case {
        const char *name;
        kalder_test::Vec3 from, to;
        int32_t clear;
    };
    const Case cases[] = {
        {"through the wall", {-40, 0, -200}, {90, 20, 300}, 0},
        {"through the wall at one height", {-40, 50, -200}, {90, 50, 300}, 0},
        {"past its end", {700, 0, -200}, {800, 0, 300}, 1},
        {"over it", {0, 400, -200}, {0, 400, 300}, 1},
        {"open ground on one side", {-400, 0, -300}, {400, 0, -100}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PlaceNode(figure, c.from);
        PlaceNode(other, c.to);
        EXPECT_EQ(AI_LineOfSight(&a, &b), c.clear);
        EXPECT_EQ(AI_LineOfSight(&b, &a), c.clear);
    }
    Coll_Free();
}

} // namespace
