// Zones: the fields of the paths, the camera and draining zones, the spawners, the respawn points and
// the path-follow step, on records built byte by byte and actors of the animated test figure.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/fconv.h"
#include "core/rand.h"
#include "core/scr.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/level_writer.h"
#include "tests/world/anim_fixture.h"
#include "tests/world/tick_fixture.h"
#include "world/cam.h"
#include "world/fgt_hit.h"
#include "world/level_record.h"
#include "world/phy.h"
#include "world/prj.h"
#include "world/zon.h"

using namespace anim_test;
using kalder_test::LevelRecordBuilder;

namespace {

struct Zones : Figure {
    LevelRecordBuilder record;

    void SetUp() override
    {
        Figure::SetUp();
        Start();
        PRJ_CurrentRecord = LevelRecord{};
        PRJ_Current = &PRJ_CurrentRecord;
        for (ActorRecord &a : ACTOR_Slots) {
            ACTOR_InitRecord(&a);
        }
        SYS_SRand(1);
    }
    void TearDown() override
    {
        for (ActorRecord &a : ACTOR_Slots) {
            ACTOR_InitRecord(&a);
        }
        ACTOR_BuildActiveLists();
        Figure::TearDown();
    }
    // The record built so far becomes the current project.
    void Use()
    {
        std::memcpy(static_cast<void *>(&PRJ_CurrentRecord), record.Bytes().data(), sizeof PRJ_CurrentRecord);
        PRJ_Current = &PRJ_CurrentRecord;
    }
    static ZoneRecord &Zone(int32_t i) { return PRJ_Current->zones[i]; }
    // A creature of the figure in slot n, in use, alive and standing in its idle at a position; its
    // radius of 130 places it at a spawn point as it is.
    ActorRecord *Creature(int32_t n, double x, double y, double z)
    {
        ActorRecord *a = &ACTOR_Slots[n];
        Ready(a, Clone_Obj(figure));
        a->radius = 130;
        a->position[0] = x;
        a->position[1] = y;
        a->position[2] = z;
        ACTOR_BuildActiveLists();
        return a;
    }
    // The hero in slot 1, in use, without a node of its own.
    static ActorRecord *Hero(double x, double y, double z, uint8_t flags0 = 0)
    {
        ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
        hero->flags[0] = uint8_t(ACTOR_F0_IN_USE | ACTOR_F0_HERO | flags0);
        hero->position[0] = x;
        hero->position[1] = y;
        hero->position[2] = z;
        ACTOR_BuildActiveLists();
        return hero;
    }
    static std::vector<double> At(const ActorRecord *a) { return {a->position[0], a->position[1], a->position[2]}; }
    static std::vector<int32_t> NodeAt(const ActorRecord *a)
    {
        std::vector<int32_t> p(3);
        Get_Obj_Pos(a->node, p.data());
        return p;
    }
    static bool Hidden(const ActorRecord *a)
    {
        const Addr r = Get_Hierarchy_Record(a->node);
        return (W_Get32(r + Addr(offsetof(OBJ_Record, flags))) & OBJ_FLAG_SKIP_TREE) != 0;
    }
    static std::vector<int32_t> Point(int32_t zone, int32_t j)
    {
        const int32_t *p = Zone(zone).points[j];
        return {p[0], p[1], p[2]};
    }
};

} // namespace

// ---- The fields of the load and of the paths ----

namespace {

// A path segment's field as the game builds it: the direction in float, scaled by the rate in double,
// the box around the segment's first point.
PHY_Field Segment(const std::vector<int32_t> &p, const std::vector<int32_t> &q, int32_t rate)
{
    PHY_Field f{};
    f.kind = PHY_FIELD_BOX;
    f.active = 1;
    int64_t d[3];
    double length2 = 0.0;
    for (int i = 0; i < 3; i++) {
        d[i] = int64_t(q[size_t(i)]) - p[size_t(i)];
        length2 += double(d[i]) * double(d[i]);
    }
    const float inverse = length2 > 0.0 ? 1.0f / std::sqrt(float(length2)) : 0.0f;
    for (int i = 0; i < 3; i++) {
        f.vector[i] = double(float(d[i]) * inverse) * rate;
        f.min[i] = p[size_t(i)] - std::fabs(f.vector[i]) - 1000.0;
        f.max[i] = p[size_t(i)] + std::fabs(f.vector[i]) + 1000.0;
    }
    return f;
}

std::vector<double> Vec(const double *v) { return {v[0], v[1], v[2]}; }

void ExpectField(int32_t i, const PHY_Field &expected)
{
    SCOPED_TRACE(i);
    ASSERT_LT(i, PHY_FieldCount);
    const PHY_Field &f = PHY_Fields[i];
    EXPECT_EQ(f.kind, expected.kind);
    EXPECT_EQ(f.active, 1);
    EXPECT_EQ(Vec(f.vector), Vec(expected.vector));
    if (expected.kind == PHY_FIELD_BOX) {
        EXPECT_EQ(Vec(f.min), Vec(expected.min));
        EXPECT_EQ(Vec(f.max), Vec(expected.max));
    }
}

} // namespace

TEST_F(Zones, TheLoadAddsGravityFirstThenTheFieldsOfEachPath)
{
    struct Case {
        const char *name;
        std::vector<int32_t> force;
        std::vector<double> gravity;
    };
    for (const Case &c : {Case{"no field force", {0, 0, 0}, {0, 9.81, 0}}, Case{"a whole force", {3, 5, -7}, {3, -5, -7}},
                          Case{"y alone", {0, -20, 0}, {0, 20, 0}}, Case{"x alone keeps 9.81", {4, 0, 0}, {4, 9.81, 0}}}) {
        SCOPED_TRACE(c.name);
        record = LevelRecordBuilder().I32s(kalder_test::level::kFieldForce, c.force);
        Use();
        ZON_Load();
        ASSERT_EQ(PHY_FieldCount, 1);
        PHY_Field g{};
        g.vector[0] = c.gravity[0];
        g.vector[1] = c.gravity[1];
        g.vector[2] = c.gravity[2];
        ExpectField(0, g);
    }

    // Two segments. The second one's length, sqrt(1,603,729), has a float reciprocal that differs from
    // the double one: a direction taken in double would not match.
    const std::vector<int32_t> a = {-300, 140, 200}, b = {700, 140, 200}, c = {1700, 140, 977};
    const int64_t dx = 1000, dz = 777;
    const double in_double = double(dz) / std::sqrt(double(dx * dx + dz * dz)) * 40.0;
    ASSERT_NE(Segment(b, c, 40).vector[2], in_double);
    record = LevelRecordBuilder()
                 .Zone(1, "PATH", ZON_PATH, {a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]})
                 .ZoneRate(1, 40)
                 .Zone(2, "OFF", ZON_PATH, {0, 0, 0, 100, 0, 0})
                 .ZoneFlags(2, 0)
                 .Zone(3, "ONE", ZON_PATH, {0, 0, 0})
                 .Zone(4, "CAMERA", ZON_CAMERA, {0, 0, 0, 100, 0, 0})
                 .Zone(5, "PATROL", ZON_PATROL, {0, 0, 0, 100, 0, 0})
                 .Zone(6, "SAME", ZON_PATH, {5, 6, 7, 5, 6, 7})
                 .ZoneRate(6, 40);
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        record.I32(kalder_test::level::Zone(size_t(z)) + kalder_test::level::kZoneField, 77);
    }
    Use();
    ZON_Load();
    ASSERT_EQ(PHY_FieldCount, 4);
    EXPECT_EQ(PHY_Fields[0].kind, PHY_FIELD_UNIFORM);
    ExpectField(1, Segment(a, b, 40));
    ExpectField(2, Segment(b, c, 40));
    // A segment of length 0 pushes nowhere but still has its field and box.
    ExpectField(3, Segment({5, 6, 7}, {5, 6, 7}, 40));
    EXPECT_EQ(Vec(PHY_Fields[3].vector), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(Vec(PHY_Fields[3].min), (std::vector<double>{-995, -994, -993}));
    // Every handle is -1 before the build: the paths hold their last field, the others -1.
    for (int32_t z = 0; z < ZON_COUNT; z++) {
        EXPECT_EQ(Zone(z).field_handle, z == 1 ? 2 : z == 6 ? 3 : -1) << z;
    }
}

TEST_F(Zones, PointCountsOfPathsAreHeldAndAFullTableGivesMinusOne)
{
    std::vector<int32_t> points;
    for (int32_t j = 0; j < 16; j++) {
        points.insert(points.end(), {j * 100, 0, j * j});
    }
    record = LevelRecordBuilder()
                 .Zone(0, "FORTY", ZON_PATH, points)
                 .I32(kalder_test::level::Zone(0) + kalder_test::level::kZonePointCount, 40)
                 .ZoneRate(0, 10)
                 .Zone(1, "NEGATIVE", ZON_PATH, {0, 0, 0, 100, 0, 0})
                 .I32(kalder_test::level::Zone(1) + kalder_test::level::kZonePointCount, -3);
    Use();
    ZON_Load();
    // 16 points, 15 segments; none for a negative count.
    EXPECT_EQ(PHY_FieldCount, 1 + 15);
    EXPECT_EQ(Zone(0).field_handle, 15);
    EXPECT_EQ(Zone(1).field_handle, -1);
    ExpectField(15, Segment({1400, 0, 196}, {1500, 0, 225}, 10));

    // The table filled to 127 fields: the path's first segment takes the last place, the second gets
    // -1, which the zone keeps.
    record = LevelRecordBuilder().Zone(0, "PATH", ZON_PATH, {0, 0, 0, 100, 0, 0, 100, 0, 100}).ZoneRate(0, 5);
    Use();
    PHY_ClearFields();
    const PHY_Field filler{};
    while (PHY_FieldCount < 127) {
        ASSERT_GE(PHY_AddField(&filler), 0);
    }
    ZON_WalkPath(&Zone(0));
    EXPECT_EQ(PHY_FieldCount, 128);
    EXPECT_EQ(Zone(0).field_handle, -1);
    ExpectField(127, Segment({0, 0, 0}, {100, 0, 0}, 5));
}

TEST_F(Zones, WalkingAPathAddsItsFieldsAgainAndStoresItsHandle)
{
    const std::vector<int32_t> path = {0, 0, 0, 0, 0, 300};
    record = LevelRecordBuilder().Zone(2, "PATH", ZON_PATH, path).ZoneRate(2, -25).Zone(3, "SPAWN", ZON_SPAWNER, path);
    Use();
    ZON_Load();
    ASSERT_EQ(PHY_FieldCount, 2);
    ZON_WalkPath(&Zone(2));
    ZON_WalkPath(&Zone(2));
    ASSERT_EQ(PHY_FieldCount, 4);
    ExpectField(3, Segment({0, 0, 0}, {0, 0, 300}, -25));
    EXPECT_EQ(PHY_Fields[3].vector[2], -25.0);
    EXPECT_EQ(Zone(2).field_handle, 3);
    ZON_WalkPath(nullptr);
    ZON_WalkPath(&Zone(3));
    Zone(2).flags = 0;
    ZON_WalkPath(&Zone(2));
    EXPECT_EQ(PHY_FieldCount, 4);
    EXPECT_EQ(Zone(3).field_handle, -1);
}

// ---- The camera zones ----

struct CameraCase {
    const char *name;
    std::vector<int32_t> box_min, box_max;
    std::vector<double> actor;
    std::vector<int32_t> points;
    int32_t expected; // the point filmed from; -1: no shot
};

TEST_F(Zones, ACameraZonePostsAShotFromTheNearestPointWhileItApplies)
{
    const std::vector<int32_t> two = {0, -200, 0, 1000, -200, 1000};
    const CameraCase cases[] = {
        {"no box applies anywhere", {0, 0, 0}, {0, 0, 0}, {90000, 5, -70000}, {90000, 0, -69000}, 0},
        {"strictly inside", {-100, -100, -100}, {100, 100, 100}, {99.9, -99.5, 0}, two, 0},
        {"on a face", {-100, -100, -100}, {100, 100, 100}, {100, 0, 0}, two, -1},
        {"on a face once truncated", {-100, -100, -100}, {100, 100, 100}, {-100.7, 0, 0}, two, -1},
        {"outside", {-100, -100, -100}, {100, 100, 100}, {0, 0, 300}, two, -1},
        // Its three fields sum to 0, yet it is a box.
        {"x -500..500 with minimum z 0 is a box", {-500, -100, 0}, {500, 100, 100}, {0, 0, 200}, two, -1},
        {"and inside it", {-500, -100, 0}, {500, 100, 100}, {0, 0, 50}, two, 0},
        {"the nearest point", {0, 0, 0}, {0, 0, 0}, {800, 0, 700}, two, 1},
        {"equal distances: the first", {0, 0, 0}, {0, 0, 0}, {500, -200, 500}, two, 0},
        {"every point 10,001 away", {0, 0, 0}, {0, 0, 0}, {10001, 0, 0}, {0, 0, 0, 20002, 0, 0}, -1},
        {"no points", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {}, -1},
    };
    ASSERT_EQ(CAM_Init(), 1);
    for (const CameraCase &c : cases) {
        SCOPED_TRACE(c.name);
        record = LevelRecordBuilder().Zone(7, "CAM", ZON_CAMERA, c.points).ZoneBox(7, c.box_min, c.box_max);
        Use();
        CAM_Mode = CAM_NOT_STARTED;
        for (int i = 0; i < 3; i++) {
            actor.position[i] = c.actor[size_t(i)];
        }
        if (c.expected >= 0 || std::string(c.name).find("10,001") != std::string::npos || c.points.empty()) {
            EXPECT_EQ(ZON_NearestPoint(&Zone(7), &actor), c.expected);
        }
        ZON_Update(&actor);
        CAM_CompCameraPos();
        if (c.expected < 0) {
            EXPECT_EQ(CAM_Mode, CAM_NOT_STARTED);
            continue;
        }
        ASSERT_EQ(CAM_Mode, CAM_SHOT);
        EXPECT_EQ(CAM_Shot.first, &actor);
        EXPECT_EQ(std::vector<int32_t>(CAM_Shot.camera, CAM_Shot.camera + 3), Point(7, c.expected));
        EXPECT_EQ(CAM_Shot.timer, 20.0f);
    }
    CAM_Exit();
}

TEST_F(Zones, ARunningShotIsNotRestartedSoTheCameraMoves)
{
    record = LevelRecordBuilder().Zone(2, "CAM", ZON_CAMERA, {0, -200, 0, 3000, -200, 0});
    Use();
    ZON_Load();
    ASSERT_EQ(CAM_Init(), 1);
    CAM_LoadPreset();
    Set_Obj_Pos(actor.node, std::vector<int32_t>{1000, 0, 0}.data());
    actor.position[0] = 1000.0;
    ZON_Update(&actor);
    CAM_CompCameraPos(); // starts the shot from point 0
    ZON_Update(&actor);  // already running: nothing posted
    CAM_CompCameraPos(); // so the shot's frame runs: the camera moves toward the actor
    ASSERT_EQ(CAM_Mode, CAM_SHOT);
    EXPECT_GT(CAM_Shot.camera[0], 0);
    int32_t root[3];
    Get_Obj_Pos(0, root);
    EXPECT_EQ(std::vector<int32_t>(root, root + 3), std::vector<int32_t>(CAM_Shot.camera, CAM_Shot.camera + 3));
    // Nearer the other point, the zone posts the shot from there.
    actor.position[0] = 2500.0;
    ZON_Update(&actor);
    CAM_CompCameraPos();
    EXPECT_EQ(std::vector<int32_t>(CAM_Shot.camera, CAM_Shot.camera + 3), (std::vector<int32_t>{3000, -200, 0}));
    CAM_Exit();
}

// ---- The draining zones ----

struct DrainCase {
    const char *name;
    int32_t rate;
    float before, after;
    bool damage;
    std::vector<int32_t> box_min = {-100, -100, -100}, box_max = {100, 100, 100};
    uint8_t flags5 = 0;
    std::vector<double> at = {0, 0, 0};
};

TEST_F(Zones, ADrainingZoneTakesRateOver50ATickOrHitsAndCapsLife)
{
    const DrainCase cases[] = {
        {"drains 2.0", 100, 50.0f, 48.0f, false},
        {"down to 1.0 or less: a hit of 10 instead, which kills", 100, 2.5f, 0.0f, true},
        {"1.0 is not above 1.0", 100, 3.0f, 0.0f, true},
        {"just above", 100, 3.01f, float(3.01f - 2.0), false},
        {"a negative rate heals up to the cap", -500, 119.0f, 120.0f, false},
        {"a life above the cap is cut after a hit too", 10000, 150.0f, 120.0f, true},
        {"a hit that leaves life", 10000, 50.0f, 40.0f, true},
        {"outside the box", 100, 50.0f, 50.0f, false, {-100, -100, -100}, {100, 100, 100}, 0, {0, 0, 150}},
        {"on a face", 100, 50.0f, 50.0f, false, {-100, -100, -100}, {100, 100, 100}, 0, {0, 100, 0}},
        {"no box: the four fields 0", 100, 50.0f, 48.0f, false, {0, 0, 0}, {0, 500, 600}, 0, {5000, -9000, 7000}},
        {"minimum y alone makes a box", 100, 50.0f, 50.0f, false, {0, -10, 0}, {0, 10, 0}, 0, {5000, 0, 7000}},
        {"the strong-turn flag opens x and z limits of 0", 100, 50.0f, 48.0f, false, {0, -100, 0}, {0, 100, 0},
         ACTOR_F5_STRONG_TURN, {5000, 0, 7000}},
        {"but not y", 100, 50.0f, 50.0f, false, {0, -100, 0}, {0, 100, 0}, ACTOR_F5_STRONG_TURN, {5000, 200, 7000}},
        {"without the flag the actor is outside", 100, 50.0f, 50.0f, false, {0, -100, 0}, {0, 100, 0}, 0,
         {5000, 0, 7000}},
        {"the flag opens only an axis whose limits are both 0", 100, 50.0f, 50.0f, false, {0, -100, -100},
         {0, 100, 100}, ACTOR_F5_STRONG_TURN, {5000, 0, 7000}},
    };
    for (const DrainCase &c : cases) {
        SCOPED_TRACE(c.name);
        record = LevelRecordBuilder().Zone(3, "DRAIN", ZON_DRAIN, {}).ZoneRate(3, c.rate).ZoneBox(3, c.box_min, c.box_max);
        Use();
        actor.flags[5] = c.flags5;
        actor.requested_anim = -1;
        actor.current_anim = 0;
        actor.life = c.before;
        for (int i = 0; i < 3; i++) {
            actor.position[i] = c.at[size_t(i)];
        }
        ZON_Update(&actor);
        EXPECT_FLOAT_EQ(actor.life, c.after);
        // A hit that empties life is a death; the drain alone never kills.
        EXPECT_EQ(actor.requested_anim, c.damage && c.after == 0.0f ? ANIM_DEATH : -1);
    }
}

TEST_F(Zones, ZonesNotInUseOrOfOtherTypesDoNothingInTheTick)
{
    record = LevelRecordBuilder()
                 .Zone(0, "OFF", ZON_DRAIN, {})
                 .ZoneRate(0, 100)
                 .ZoneFlags(0, 0x02)
                 .Zone(1, "OFF", ZON_CAMERA, {0, 0, 0})
                 .ZoneFlags(1, 0)
                 .Zone(2, "PATROL", ZON_PATROL, {0, 0, 0})
                 .Zone(3, "PATH", ZON_PATH, {0, 0, 0, 100, 0, 0})
                 .Zone(4, "RESPAWN", ZON_RESPAWN, {0, 0, 0})
                 .Zone(5, "SPAWN", ZON_SPAWNER, {0, 0, 0})
                 .Zone(6, "TEN", 10, {0, 0, 0})
                 .Zone(7, "NEGATIVE", -1, {0, 0, 0});
    Use();
    ASSERT_EQ(CAM_Init(), 1);
    CAM_Mode = CAM_NOT_STARTED;
    actor.life = 50.0f;
    ZON_Update(&actor);
    CAM_CompCameraPos();
    EXPECT_EQ(actor.life, 50.0f);
    EXPECT_EQ(CAM_Mode, CAM_NOT_STARTED);
    CAM_Exit();
}

// ---- The spawners ----

// The spawn point at the origin; a creature far out that any candidate point takes.
struct Spawner : Zones {
    ActorRecord *creature = nullptr;

    void SetUp() override
    {
        Zones::SetUp();
        record = LevelRecordBuilder().Zone(2, "SPAWN", ZON_SPAWNER, {0, 0, 0});
        Use();
        creature = Creature(5, 50000.0, 0.0, 0.0);
    }
};

TEST_F(Spawner, APointIsACandidateWithinTheOuterBoxButNotStrictlyInsideTheInner)
{
    struct Case {
        std::vector<double> hero;
        uint8_t flags0;
        bool candidate;
    };
    const Case cases[] = {
        {{4000, 0, 0}, 0, true},          // exactly D on one axis
        {{4000, -4000, 4000}, 0, true},
        {{4000.5, 0, 0}, 0, false},
        {{0, 0, -4001}, 0, false},
        {{2000, 0, 0}, 0, true},          // on the inner box's face
        {{1999, 1999, 1999}, 0, false},   // strictly inside the inner box
        {{1999, -1999, 3000}, 0, true},
        {{8000, 0, 0}, ACTOR_F0_WIDE_SPAWN, true},
        {{8001, 0, 0}, ACTOR_F0_WIDE_SPAWN, false},
        {{4000, 0, 0}, ACTOR_F0_WIDE_SPAWN, true},
        {{3999, 3999, 3999}, ACTOR_F0_WIDE_SPAWN, false},
        {{5000, 0, 0}, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.hero[0] << " " << c.hero[1] << " " << c.hero[2] << " flags " << int(c.flags0));
        creature->position[0] = 50000.0;
        creature->zone = creature->point = -1;
        ActorRecord *hero = Hero(c.hero[0], c.hero[1], c.hero[2], c.flags0);
        ZON_UpdateSpawners(hero);
        EXPECT_EQ(creature->zone, c.candidate ? 2 : -1);
        EXPECT_EQ(At(creature), c.candidate ? (std::vector<double>{0, 0, 0}) : (std::vector<double>{50000, 0, 0}));
    }
}

TEST_F(Spawner, APointALivingCreatureBelongsToIsNoCandidate)
{
    ActorRecord *bound = Creature(4, 100.0, 0.0, 100.0);
    bound->zone = 2;
    bound->point = 0;
    ZON_UpdateSpawners(Hero(3000, 0, 0));
    EXPECT_EQ(At(creature), (std::vector<double>{50000, 0, 0}));
    EXPECT_EQ(At(bound), (std::vector<double>{100, 0, 100}));
    EXPECT_EQ(creature->zone, -1);
}

TEST_F(Spawner, ADeadCreatureUsesItsPointUpForTheRestOfTheVisit)
{
    record.Zone(2, "SPAWN", ZON_SPAWNER, {0, 0, 0, 0, 0, 500});
    Use();
    ActorRecord *dead = Creature(4, 100.0, 0.0, 100.0);
    dead->zone = 2;
    dead->point = 0;
    dead->current_anim = 50;
    ActorRecord *hero = Hero(3000, 0, 0);
    ZON_UpdateSpawners(hero);
    const std::vector<int32_t> used = {ZON_USED_UP, ZON_USED_UP, ZON_USED_UP};
    EXPECT_EQ(Point(2, 0), used);
    EXPECT_EQ(Point(2, 1), (std::vector<int32_t>{0, 0, 500}));
    // The far creature went to the other point.
    EXPECT_EQ(creature->point, 1);
    // Revived and bound elsewhere, the dead one's point stays used up.
    dead->current_anim = 0;
    dead->point = 1;
    creature->zone = creature->point = -1;
    ZON_UpdateSpawners(hero);
    ZON_UpdateSpawners(hero);
    EXPECT_EQ(Point(2, 0), used);
    EXPECT_EQ(creature->zone, -1);
}

TEST_F(Spawner, ADisabledCreatureIsShownEnabledGivenLifePlacedAndBound)
{
    struct Case {
        int32_t definition_life; // -1: no definition
        float life;
    };
    for (const Case &c : {Case{-1, 100.0f}, Case{0, 100.0f}, Case{60, 60.0f}}) {
        SCOPED_TRACE(c.definition_life);
        ElementRecord element{};
        element.life = c.definition_life;
        creature->definition = c.definition_life < 0 ? nullptr : &element;
        creature->flags[3] |= ACTOR_F3_DISABLED;
        creature->life = 0.0f;
        creature->zone = creature->point = -1;
        creature->last_attacker = nullptr;
        creature->position[0] = 0.5;
        Hide_Obj_Tree(creature->node);
        ActorRecord *hero = Hero(3000.7, 0, 0);
        ZON_UpdateSpawners(hero);
        EXPECT_FALSE(Hidden(creature));
        EXPECT_FALSE(creature->flags[3] & ACTOR_F3_DISABLED);
        EXPECT_EQ(creature->life, c.life);
        EXPECT_EQ(At(creature), (std::vector<double>{0, 0, 0}));
        EXPECT_EQ(NodeAt(creature), (std::vector<int32_t>{0, 0, 0}));
        EXPECT_EQ(creature->zone, 2);
        EXPECT_EQ(creature->point, 0);
        // Disabled, it becomes the hero's foe whatever its flags.
        EXPECT_EQ(creature->last_attacker, hero);
    }
}

TEST_F(Spawner, ADeadCreaturePast80PercentOfItsFramesIsRevived)
{
    struct Case {
        float position;
        bool revived;
    };
    ActorRecord *hero = Hero(3000, 0, 0);
    for (const Case &c : {Case{24.0f, false}, Case{24.01f, true}, Case{29.0f, true}, Case{3.0f, false}}) {
        SCOPED_TRACE(c.position);
        // Dead: in animation 50, its 30 frames played to a position.
        creature->current_anim = 50;
        creature->frame_count = 30;
        creature->anim_handles[0] = creature->anim_handles[1] = Handle(50);
        creature->frame_position = c.position;
        creature->flags[0] &= uint8_t(~ACTOR_F0_ANIM_ENDED);
        creature->flags[2] |= ACTOR_F2_ACTION_HELD;
        creature->life = -3.0f;
        creature->zone = creature->point = -1;
        creature->flags[4] = ACTOR_F4_PURSUIT_ON_SIGHT;
        creature->last_attacker = nullptr;
        ZON_UpdateSpawners(hero);
        if (!c.revived) {
            EXPECT_EQ(creature->current_anim, 50);
            EXPECT_EQ(creature->life, -3.0f);
            EXPECT_EQ(creature->zone, -1);
            continue;
        }
        // The ended flag, set with the lock released, lets the idle start at once (the switch
        // consumes the flag).
        EXPECT_EQ(creature->current_anim, 0);
        EXPECT_EQ(creature->anim_handles[1], Handle(0));
        EXPECT_FALSE(creature->flags[0] & ACTOR_F0_ANIM_ENDED);
        EXPECT_FALSE(creature->flags[2] & ACTOR_F2_ACTION_HELD);
        EXPECT_EQ(creature->life, 100.0f);
        EXPECT_EQ(At(creature), (std::vector<double>{0, 0, 0}));
        EXPECT_EQ(creature->zone, 2);
        EXPECT_EQ(creature->last_attacker, hero);
    }
}

TEST_F(Spawner, TheWalkSkipsLivingCreaturesNearTheHeroAndTakesTheFirstFartherAway)
{
    ActorRecord *near = Creature(3, 3500.0, 0.0, 0.0);
    ActorRecord *ai_less = Creature(4, 50000.0, 0.0, 0.0);
    ai_less->flags[1] &= uint8_t(~ACTOR_F1_AI);
    ActorRecord *far2 = Creature(6, -50000.0, 0.0, 0.0);
    creature->life = 7.0f;
    creature->radius = 200;
    ActorRecord *hero = Hero(3000, 0, 0);
    ZON_UpdateSpawners(hero);
    EXPECT_EQ(At(near), (std::vector<double>{3500, 0, 0}));
    EXPECT_EQ(At(ai_less), (std::vector<double>{50000, 0, 0}));
    // A radius of 200 stands the creature 70 higher over the same ground.
    EXPECT_EQ(At(creature), (std::vector<double>{0, -70, 0}));
    EXPECT_EQ(NodeAt(creature), (std::vector<int32_t>{0, -70, 0}));
    EXPECT_EQ(creature->life, 100.0f);
    // Without the pursuit flag a living creature does not take the hero for its attacker.
    EXPECT_EQ(creature->last_attacker, nullptr);
    // One creature a point a tick.
    EXPECT_EQ(At(far2), (std::vector<double>{-50000, 0, 0}));
    EXPECT_EQ(far2->zone, -1);
}

TEST_F(Spawner, EachPointTakesOneCreatureInOneTick)
{
    record.Zone(2, "SPAWN", ZON_SPAWNER, {0, 0, 0, 0, 0, 500});
    Use();
    ActorRecord *far2 = Creature(6, -50000.0, 0.0, 0.0);
    ZON_UpdateSpawners(Hero(3000, 0, 0));
    EXPECT_EQ(creature->point, 0);
    EXPECT_EQ(far2->point, 1);
    EXPECT_EQ(At(far2), (std::vector<double>{0, 0, 500}));
}

TEST_F(Spawner, RecordsKeptOutOfGroupingAreNeverTaken)
{
    // The video actor: AI-driven, disabled, kept out of grouping and without a definition.
    ActorRecord *video = &ACTOR_Slots[4];
    ACTOR_InitRecord(video);
    video->flags[0] = ACTOR_F0_IN_USE;
    video->flags[1] = ACTOR_F1_AI | ACTOR_F1_NO_GROUPING;
    video->flags[3] = ACTOR_F3_DISABLED;
    video->node = -1;
    video->position[0] = 77.0;
    ACTOR_BuildActiveLists();
    ZON_UpdateSpawners(Hero(3000, 0, 0));
    EXPECT_EQ(video->zone, -1);
    EXPECT_EQ(video->position[0], 77.0);
    EXPECT_TRUE(video->flags[3] & ACTOR_F3_DISABLED);
    EXPECT_EQ(creature->zone, 2);
}

// ---- The respawn points ----

TEST_F(Zones, ARandomRespawnPointIsDrawnPerZoneAndTheLastZoneWins)
{
    const std::vector<int32_t> three = {10, 0, 0, 20, 0, 0, 30, 0, 0};
    record = LevelRecordBuilder().Zone(4, "RESPAWN", ZON_RESPAWN, three);
    Use();
    // The first draws after seed 1 are 41, 18467, 6334 and 26500.
    SYS_SRand(1);
    std::vector<double> xs;
    for (int i = 0; i < 4; i++) {
        ZON_RandomPoint(&actor);
        xs.push_back(actor.position[0]);
    }
    EXPECT_EQ(xs, (std::vector<double>{10, 20, 10, 30}));

    // A draw of 32767 gives the count: index 0.
    uint32_t seed = 0;
    for (;; seed++) {
        SYS_SRand(seed);
        if (SYS_Rand() == 32767) {
            break;
        }
    }
    record.Zone(4, "RESPAWN", ZON_RESPAWN, {10, 1, 2, 20, 3, 4, 30, 5, 6});
    Use();
    SYS_SRand(seed);
    ZON_RandomPoint(&actor);
    EXPECT_EQ(At(&actor), (std::vector<double>{10, 1, 2}));

    // Two zones: two draws, the second zone's point; a zone without points draws nothing.
    record.Zone(1, "EMPTY", ZON_RESPAWN, {}).Zone(2, "FIRST", ZON_RESPAWN, {-5, -5, -5}).Zone(4, "SECOND", ZON_RESPAWN, three);
    Use();
    SYS_SRand(1);
    ZON_RandomPoint(&actor);
    EXPECT_EQ(At(&actor), (std::vector<double>{20, 0, 0}));
    EXPECT_EQ(SYS_Rand(), 6334);

    // Only zones without points: the actor keeps its place and nothing is drawn.
    record = LevelRecordBuilder().Zone(1, "EMPTY", ZON_RESPAWN, {}).Zone(3, "OTHER", ZON_SPAWNER, three);
    Use();
    actor.position[0] = 1.5;
    SYS_SRand(1);
    ZON_RandomPoint(&actor);
    EXPECT_EQ(actor.position[0], 1.5);
    EXPECT_EQ(SYS_Rand(), 41);
}

// ---- Point counts from the data ----

TEST_F(Zones, PointCountsAreHeldToTheSixteenPoints)
{
    record = LevelRecordBuilder().Zone(0, "Z", ZON_CAMERA, {0, 0, 0});
    for (int32_t count : {-3, 0, 1, 16, 17, 40}) {
        SCOPED_TRACE(count);
        record.I32(kalder_test::level::Zone(0) + kalder_test::level::kZonePointCount, count);
        Use();
        EXPECT_EQ(ZON_PointCount(&Zone(0)), count < 0 ? 0 : count > 16 ? 16 : count);
    }
    // A count of 40 reads the 16 points only: the words after them (the count itself) are no point.
    std::vector<int32_t> points;
    for (int j = 0; j < 16; j++) {
        points.insert(points.end(), {100000 + j, 0, 0});
    }
    record.Zone(0, "Z", ZON_CAMERA, points).I32(kalder_test::level::Zone(0) + kalder_test::level::kZonePointCount, 40);
    Use();
    actor.position[0] = 40.0;
    EXPECT_EQ(ZON_NearestPoint(&Zone(0), &actor), -1);
    record.I32(kalder_test::level::Zone(0) + kalder_test::level::kZonePointCount, -3);
    Use();
    EXPECT_EQ(ZON_NearestPoint(&Zone(0), &actor), -1);
    EXPECT_EQ(ZON_NearestPoint(nullptr, &actor), -1);
}

// ---- The path-follow step ----

TEST_F(Zones, FollowingAPathStepsFourOnEachAxisAndAdvancesAtEachPoint)
{
    // Points relative to the scene object, which stands at (100, 0, 0) here.
    record = LevelRecordBuilder().Zone(0, "PATH", ZON_PATROL, {10, 0, 0, 10, -6, 6});
    Use();
    ACTOR_Slots[ACTOR_SCENE].position[0] = 100.0;
    actor.position[0] = 100.0;
    actor.heading = 999;
    struct Step {
        std::vector<double> at;
        int32_t current;
        int32_t heading;
    };
    const Step steps[] = {
        {{104, 0, 0}, 0, 0},    // +x
        {{108, 0, 0}, 0, 0},
        {{110, 0, 0}, 1, 0},    // reached: the next point
        {{110, -4, 4}, 1, 3072}, // +z
        {{110, -6, 6}, 0, 3072}, // reached the last: back to the first
        {{110, -2, 2}, 0, 1024}, // -z
        {{110, 0, 0}, 1, 1024},
    };
    for (const Step &s : steps) {
        ZON_FollowPath(&Zone(0), &actor);
        EXPECT_EQ(At(&actor), s.at);
        EXPECT_EQ(Zone(0).current_point, s.current);
        EXPECT_EQ(actor.heading, s.heading);
        std::vector<int32_t> node(3);
        int32_t m[9], expected[9];
        Get_Obj_Pos(actor.node, node.data());
        Get_Obj_Matrix(actor.node, m);
        Mat_Rotate(0, s.heading, 0, expected);
        EXPECT_EQ(node, (std::vector<int32_t>{trunc_i32(s.at[0]), trunc_i32(s.at[1]), trunc_i32(s.at[2])}));
        EXPECT_EQ(std::vector<int32_t>(m, m + 9), std::vector<int32_t>(expected, expected + 9));
    }
    // -x, and a motion up and down only, which keeps the heading.
    record.Zone(0, "PATH", ZON_PATROL, {0, 0, 0, 0, -3, 0});
    Use();
    ZON_FollowPath(&Zone(0), &actor);
    EXPECT_EQ(actor.heading, 2048);
    actor.position[0] = 100.0;
    Zone(0).current_point = 1;
    ZON_FollowPath(&Zone(0), &actor);
    EXPECT_EQ(At(&actor), (std::vector<double>{100, -3, 0}));
    EXPECT_EQ(actor.heading, 2048);
    EXPECT_EQ(Zone(0).current_point, 0);
    // An index outside the points starts over (here it reaches point 0 at once); no points: nothing
    // moves.
    Zone(0).current_point = 12;
    ZON_FollowPath(&Zone(0), &actor);
    EXPECT_EQ(Zone(0).current_point, 1);
    EXPECT_EQ(At(&actor), (std::vector<double>{100, 0, 0}));
    record.Zone(0, "PATH", ZON_PATROL, {});
    Use();
    Zone(0).current_point = 5;
    ZON_FollowPath(&Zone(0), &actor);
    EXPECT_EQ(At(&actor), (std::vector<double>{100, 0, 0}));
    EXPECT_EQ(Zone(0).current_point, 5);
}

// ---- The demo level through the game tick ----

namespace {

struct ZoneDemo : tick_test::DemoLevelBench {
    static void Place(ActorRecord *a, double x, double y, double z)
    {
        a->position[0] = x;
        a->position[1] = y;
        a->position[2] = z;
    }
};

} // namespace

TEST_F(ZoneDemo, TheFirstWorldTickBringsTheCreatureToItsSpawnPoint)
{
    ActorRecord *creature = Named("CR1");
    ASSERT_NE(creature, nullptr);
    EXPECT_EQ(creature->position[0], 9000.0);
    GAME_Tick(0);
    // Its radius of 135 stands it 5 above the point.
    EXPECT_EQ(std::vector<double>(creature->position, creature->position + 3), (std::vector<double>{800, 135, 2600}));
    EXPECT_EQ(creature->zone, 1);
    EXPECT_EQ(creature->point, 0);
    EXPECT_EQ(creature->last_attacker, nullptr);
}

TEST_F(ZoneDemo, TheDrainTakesTwoLifeATickFromTheHeroInIt)
{
    ActorRecord *hero = Hero();
    Place(hero, 550.0, 140.0, -600.0);
    hero->life = 100.0f;
    GAME_Tick(0);
    EXPECT_EQ(hero->life, 98.0f);
    GAME_Tick(0);
    EXPECT_EQ(hero->life, 96.0f);
}

TEST_F(ZoneDemo, TheCameraZoneFilmsTheHeroFromItsNearestPoint)
{
    // Tick 1 follows the hero into the zone and posts the shot, tick 2 starts it from the point, tick 3
    // draws its first frame: the camera halfway from the point to the hero, looking at the hero.
    Place(Hero(), -2300.0, 140.0, 2300.0);
    for (int i = 0; i < 2; i++) {
        GAME_Tick(0);
    }
    EXPECT_EQ(CAM_Mode, CAM_SHOT);
    EXPECT_EQ(CAM_Shot.first, Hero());
    const int32_t *from = kalder_test::demo::kCameraPoints[0];
    EXPECT_EQ(std::vector<int32_t>(CAM_Shot.camera, CAM_Shot.camera + 3), std::vector<int32_t>(from, from + 3));
    GAME_Tick(0);
    int32_t root[3];
    Get_Obj_Pos(0, root);
    EXPECT_EQ(std::vector<int32_t>(root, root + 3), (std::vector<int32_t>{-2600, -33, 2000}));
    EXPECT_TRUE(kalder_test::MatchesGolden("zone-camera", SCR_FrameBuffer, 640, 480, false));
}
