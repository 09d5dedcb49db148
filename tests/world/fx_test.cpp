// The effect particles, sparks, vents, mana spheres and ground elements, on the triggers' small level
// (the demo's models).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/game_frame.h"
#include "core/rand.h"
#include "engine3d/image.h"
#include "engine3d/object.h"
#include "engine3d/records.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "tests/support/core_state.h"
#include "tests/support/trigger_level.h"
#include "world/actor.h"
#include "world/fx.h"
#include "world/level_record.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/ptc.h"

namespace {

using kalder_test::LevelRecordBuilder;
using kalder_test::TriggerLevel;
namespace level = kalder_test::level;

struct Effects : ::testing::Test {
    std::unique_ptr<TriggerLevel> level;
    std::vector<std::string> opened;

    void SetUp() override
    {
        kalder_test::ResetCore();
        test::SetExitHook(test::ThrowOnExit);
        GAME_TimeFactor = 1.0;
        level = std::make_unique<TriggerLevel>();
    }
    void TearDown() override
    {
        test::SetOpenObserver(nullptr);
        Set_File_Source(nullptr);
        level.reset();
        kalder_test::ResetCore();
    }
    void Load(LevelRecordBuilder b) { level->Load(b.Bytes()); }
    // The model files the effects' loaders open from now on (their lower-case base names).
    void Watch()
    {
        opened.clear();
        test::SetOpenObserver([this](const char *path) {
            std::string name(path);
            name = name.substr(name.find_last_of("\\/") + 1);
            for (char &c : name) {
                c = char(std::tolower(static_cast<unsigned char>(c)));
            }
            opened.push_back(name);
        });
    }
    static ActorRecord *Hero() { return TriggerLevel::Hero(); }
};

// The first seed whose draws satisfy the test, so that a case can ask for the chances it needs.
uint32_t SeedWhere(const std::function<bool()> &draws)
{
    for (uint32_t seed = 1;; seed++) {
        SYS_SRand(seed);
        if (draws()) {
            SYS_SRand(seed);
            return seed;
        }
    }
}

// The vertex 0 of the demo's tetrahedron is (40, 40, 40): its x on an instance tells the scale.
int32_t VertexX(OBJ_Handle node)
{
    int32_t v[3] = {0, 0, 0};
    Get_Vertex(node, 0, v);
    return v[0];
}

// The engine's own hidden mark on a node's tree (what the render skips), not the entry's flags.
bool NodeHidden(OBJ_Handle node)
{
    const Addr record = Get_Hierarchy_Record(node);
    return (uint32_t(W_Get32(record + Addr(offsetof(OBJ_Record, flags)))) & OBJ_FLAG_SKIP_TREE) != 0;
}

TEST_F(Effects, TheLoadersPickTheModelByWaterAndStanceAndMakeHiddenScaledInstances)
{
    Load(kalder_test::TriggerLevelRecord());
    const struct {
        int32_t water;
        bool stance;
        const char *file;
        float unit;
    } cases[] = {
        {0, false, "gr02.3dc", 0.05f},
        {0, true, "gr03.3dc", 0.2f},
        {500, false, "gr00.3dc", 0.05f},
        {500, true, "gr00.3dc", 0.2f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        PRJ_Current->water_height = c.water;
        Hero()->flags[4] = c.stance ? ACTOR_F4_PITCH_STEERING : 0;
        Watch();
        FX_ParticleWrite = 5;
        FX_ParticleRead = 3;
        FX_LoadShotModels();
        FX_LoadThrownModel();
        ASSERT_EQ(opened, (std::vector<std::string>{c.file, "gr01.3dc"}));
        EXPECT_EQ(FX_ParticleWrite, 0);
        EXPECT_EQ(FX_ParticleRead, 0);
        std::vector<OBJ_Handle> nodes;
        for (int32_t i = 0; i < FX_PARTICLE_COUNT; i++) {
            const FX_Particle &p = FX_Particles[i];
            EXPECT_EQ(p.flags, FX_PARTICLE_HIDDEN);
            EXPECT_EQ(p.life, 0.0f);
            EXPECT_EQ(Get_Obj_Parent(p.node), 0) << "linked to the root";
            nodes.push_back(p.node);
            if (c.water == 0) {
                EXPECT_NEAR(VertexX(p.node), 40.0f * c.unit * float((i & 3) + 3), 1.0f) << i;
            }
        }
        for (const FX_Particle &s : FX_SparkRing) {
            EXPECT_EQ(s.flags, FX_PARTICLE_HIDDEN);
            nodes.push_back(s.node);
        }
        std::sort(nodes.begin(), nodes.end());
        EXPECT_GT(nodes.front(), 0);
        EXPECT_EQ(std::adjacent_find(nodes.begin(), nodes.end()), nodes.end()) << "one instance each";
    }
}

// The file source that finds every file but one.
std::string Missing;
int32_t AllBut(const char *name, void *destination, int32_t room)
{
    std::string n(name);
    if (n.size() >= Missing.size() && n.compare(n.size() - Missing.size(), Missing.size(), Missing) == 0) {
        return -1;
    }
    return MDL_FileHook(name, destination, room);
}

TEST_F(Effects, AMissingModelStopsWithTheElementErrorText)
{
    Load(LevelRecordBuilder(kalder_test::TriggerLevelRecord())
             .Zone(6, "MANA", 2, {0, 0, 0})
             .Zone(7, "BEETLES", 3, {0, 0, 0}));
    const struct {
        const char *file;
        void (*loader)();
    } cases[] = {
        {"gr02.3dc", FX_LoadShotModels},
        {"gr01.3dc", FX_LoadThrownModel},
        {"mana.3dc", FX_LoadManaSpheres},
        {"x01sol.3dc", FX_LoadGroundElements},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        Missing = c.file;
        Set_File_Source(AllBut);
        // The beetles' model is drawn by one random number: the green one asked for.
        SeedWhere([] { return SYS_Rand() > 0x3FFF; });
        const size_t boxes = test::MessageBoxes().size();
        int code = 0;
        try {
            c.loader();
        } catch (const test::ExitCalled &e) {
            code = e.code;
        }
        EXPECT_EQ(code, 999);
        ASSERT_EQ(test::MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(test::MessageBoxes().back().text, "Kalder Internal Error : Read Element Error");
    }
}

TEST_F(Effects, OnlyTheFirstZoneInUseOfEachTypeCountsWithItsPointsHeldToSixteen)
{
    std::vector<int32_t> sixteen;
    for (int32_t i = 0; i < 16; i++) {
        sixteen.insert(sixteen.end(), {-1600 + 100 * i, 150, 1800 + 20 * i});
    }
    const struct {
        const char *what;
        int32_t zones;       // how many zones of each type, at 6.., 7.., 8..
        int32_t flags;       // of the first
        int32_t count;       // point count stored in the first
        int32_t expected;
    } cases[] = {
        {"no zone", 0, 1, 3, 0},     {"not in use", 1, 0, 3, 0},     {"two zones", 2, 1, 3, 3},
        {"no points", 1, 1, 0, 0},   {"one point", 1, 1, 1, 1},      {"sixteen", 1, 1, 16, 16},
        {"seventeen", 1, 1, 17, 16}, {"negative", 1, 1, -1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        LevelRecordBuilder b(kalder_test::TriggerLevelRecord());
        const int32_t types[3] = {2, 3, 6};
        for (int32_t k = 0; k < c.zones; k++) {
            for (int32_t t = 0; t < 3; t++) {
                const size_t z = size_t(3 + 3 * k + t);
                b.Zone(z, "FX", types[t], sixteen).ZoneRate(z, k == 0 ? 65 : 999);
                b.ZoneBox(z, {-1800, 200, 1600}, {-200, 260, 2600});
                if (k == 0) {
                    b.ZoneFlags(z, c.flags).I32(level::Zone(z) + level::kZonePointCount, c.count);
                }
            }
        }
        Load(b);
        int32_t spheres = 0, emitters = 0, elements = 0;
        for (int32_t i = 0; i < FX_TABLE_COUNT; i++) {
            const FX_ManaSphere &s = FX_ManaSpheres[i];
            const FX_Emitter &e = FX_Emitters[i];
            const FX_GroundElement &g = FX_GroundElements[i];
            const float x = float(-1600 + 100 * i), z = float(1800 + 20 * i);
            if ((s.flags & FX_SPHERE_PRESENT) != 0) {
                spheres++;
                EXPECT_EQ(s.pos[0], x);
                EXPECT_EQ(s.pos[1], 250.0f) << "lifted to y + 100";
                EXPECT_EQ(s.pos[2], z);
                EXPECT_EQ(s.value, 65.0f);
            }
            if (e.in_use != 0) {
                emitters++;
                EXPECT_EQ(e.pos[1], 250.0f);
                EXPECT_EQ(e.rate, 65.0f);
            }
            if ((g.flags & FX_GROUND_ACTIVE) != 0) {
                elements++;
                EXPECT_EQ(g.speed, 6.0f) << "rate / 10 in integers";
                EXPECT_EQ(g.leader, i == 0 ? nullptr : &FX_GroundElements[(i - 1) / 2]);
            }
        }
        EXPECT_EQ(spheres, c.expected);
        EXPECT_EQ(emitters, c.expected);
        EXPECT_EQ(elements, c.expected);
    }
}

TEST_F(Effects, GroundElementsTakeTheModelOfTheDrawAndFirstTargetsInTheBoxOrNearTheLeader)
{
    std::vector<int32_t> points;
    for (int32_t i = 0; i < 6; i++) {
        points.insert(points.end(), {-1500 + 300 * i, 150, 1800 + 100 * i});
    }
    Load(LevelRecordBuilder(kalder_test::TriggerLevelRecord())
             .Zone(7, "BEETLES", 3, points)
             .ZoneBox(7, {-1800, 200, 1600}, {-200, 260, 2600})
             .ZoneRate(7, 65));
    for (const bool green : {true, false}) {
        SCOPED_TRACE(green ? "x01sol" : "x01sol1");
        SeedWhere([green] { return (SYS_Rand() > 0x3FFF) == green; });
        Watch();
        FX_LoadGroundElements();
        ASSERT_EQ(opened, std::vector<std::string>{green ? "x01sol.3dc" : "x01sol1.3dc"});
        const FX_GroundElement *g = FX_GroundElements;
        EXPECT_EQ(g[5].leader, &g[2]);
        const float box_min[3] = {-1800, 200, 1600}, box_max[3] = {-200, 260, 2600};
        for (int a = 0; a < 3; a++) {
            EXPECT_GE(g[0].target[a], box_min[a]);
            EXPECT_LE(g[0].target[a], box_max[a]);
        }
        for (int32_t i = 1; i < 6; i++) {
            for (int a = 0; a < 3; a++) {
                EXPECT_LE(std::fabs(g[i].target[a] - g[i].leader->pos[a]), 128.0f) << i;
            }
            // The beetle's first corner is 30 behind its middle.
            EXPECT_NEAR(VertexX(g[i].node), -30.0f * 0.2f * float((i & 3) + 3), 1.0f) << i;
        }
        EXPECT_EQ(g[6].flags, 0);
    }
}

TEST_F(Effects, TheParticleRingKeepsSixtyThreeAndExpiresFromTheFrontOnly)
{
    Load(kalder_test::TriggerLevelRecord());
    ActorRecord *hero = Hero();
    // 63 spawns fill the ring; the 64th drops the oldest, whose node is hidden.
    for (int32_t i = 0; i < 63; i++) {
        FX_SpawnTrail(hero);
    }
    EXPECT_EQ(FX_ParticleWrite, 63);
    EXPECT_EQ(FX_ParticleRead, 0);
    EXPECT_EQ(FX_Particles[0].flags, 0);
    for (int32_t i = 0; i < 63; i++) {
        EXPECT_FALSE(NodeHidden(FX_Particles[i].node)) << i;
    }
    EXPECT_TRUE(NodeHidden(FX_Particles[63].node)) << "never written";
    FX_SpawnTrail(hero);
    EXPECT_EQ(FX_ParticleWrite, 0);
    EXPECT_EQ(FX_ParticleRead, 1);
    EXPECT_EQ(FX_Particles[0].flags, FX_PARTICLE_HIDDEN) << "the dropped particle does not stay on screen";
    EXPECT_TRUE(NodeHidden(FX_Particles[0].node)) << "the dropped particle's node is hidden";
    EXPECT_FALSE(NodeHidden(FX_Particles[63].node)) << "the 64th spawn's node is shown";
    EXPECT_FALSE(NodeHidden(FX_Particles[1].node));

    // A long-lived particle in front holds three dead puffs behind it; once it goes, they go in one pass.
    FX_ParticleWrite = FX_ParticleRead = 10;
    FX_SpawnHitParticles(hero);
    FX_ParticleRead = 11; // one hit particle in front
    FX_Particles[11].life = 6.0f;
    for (int32_t i = 0; i < 3; i++) {
        FX_SpawnEffect(hero);
    }
    for (int32_t t = 0; t < 5; t++) {
        FX_UpdateParticles();
    }
    EXPECT_EQ(FX_ParticleRead, 11) << "dead puffs wait behind a live particle";
    EXPECT_LE(FX_Particles[12].life, 0.0f);
    FX_UpdateParticles();
    EXPECT_EQ(FX_ParticleRead, 15);
    EXPECT_EQ(FX_ParticleWrite, 15);
}

TEST_F(Effects, APuffFliesWithoutGravityAgesOutAndTheEntryIsNotFrozenAfter)
{
    Load(kalder_test::TriggerLevelRecord());
    ActorRecord *hero = Hero();
    FX_ParticleWrite = FX_ParticleRead = 20;
    FX_SpawnEffect(hero);
    FX_Particle &p = FX_Particles[20];
    EXPECT_EQ(p.flags, FX_PARTICLE_FROZEN);
    EXPECT_EQ(p.life, 5.0f);
    const float v[3] = {p.vel[0], p.vel[1], p.vel[2]};
    const float start[3] = {p.pos[0], p.pos[1], p.pos[2]};
    for (int32_t t = 1; t <= 5; t++) {
        FX_UpdateParticles();
        EXPECT_EQ(FX_ParticleRead, t < 5 ? 20 : 21) << t;
    }
    for (int a = 0; a < 3; a++) {
        EXPECT_EQ(p.vel[a], v[a]);
        EXPECT_FLOAT_EQ(p.pos[a], start[a] + 5.0f * v[a]);
    }
    EXPECT_NE(p.flags & FX_PARTICLE_HIDDEN, 0);
    // The entry's next use falls under gravity.
    FX_ParticleWrite = FX_ParticleRead = 20;
    FX_SpawnHitParticles(hero);
    EXPECT_EQ(p.flags, 0);
    FX_UpdateParticles();
    EXPECT_FLOAT_EQ(p.vel[1], -0.2f);
}

TEST_F(Effects, UnderWaterParticlesRise)
{
    Load(LevelRecordBuilder(kalder_test::TriggerLevelRecord()).I32(level::kWaterHeight, -2000));
    ActorRecord *hero = Hero();
    FX_SpawnHitParticles(hero);
    ASSERT_EQ(FX_ParticleWrite, 1) << "one breath of air";
    const FX_Particle &p = FX_Particles[0];
    EXPECT_EQ(p.pos[1], float(hero->position[1]) - 100.0f);
    EXPECT_EQ(p.life, 1000.0f);
    float y = p.pos[1];
    for (int32_t t = 0; t < 3; t++) {
        FX_UpdateParticles();
        EXPECT_LT(p.pos[1], y);
        y = p.pos[1];
    }
    // The last step from a velocity of (0.3705, -6, 0): (v + 0.2) x 0.95 and (v - 8) x 0.5.
    EXPECT_FLOAT_EQ(p.vel[1], -7.0f);
    EXPECT_GT(p.vel[0], 0.0f) << "and drift along x";
}

TEST_F(Effects, TheSparkRingStopsAtTheFirstLiveSpark)
{
    Load(kalder_test::TriggerLevelRecord());
    ActorRecord *hero = Hero();
    for (int32_t i = 0; i < 3; i++) {
        FX_Sparks(hero);
    }
    EXPECT_EQ(FX_SparkWrite, 3);
    FX_KillSpark(&FX_SparkRing[0]);
    FX_KillSpark(&FX_SparkRing[2]);
    FX_UpdateSparks();
    EXPECT_EQ(FX_SparkRead, 1) << "spark 1 lives";
    for (int32_t t = 1; t < 15; t++) {
        FX_UpdateSparks();
        EXPECT_EQ(FX_SparkRead, 1) << t;
    }
    FX_UpdateSparks();
    EXPECT_EQ(FX_SparkRead, 3) << "16 frames of life, then the dead spark behind it goes too";
    EXPECT_EQ(FX_SparkRing[1].life, 0.0f);
    EXPECT_NE(FX_SparkRing[1].flags & FX_PARTICLE_HIDDEN, 0);
    // Falling: each frame the vertical velocity grows by 4.
    FX_Sparks(hero);
    const float vy = FX_SparkRing[3].vel[1];
    FX_UpdateSparks();
    EXPECT_FLOAT_EQ(FX_SparkRing[3].vel[1], vy + 4.0f);
}

// One spawn and what it wrote.
struct Spawned {
    int32_t count;
    float pos[3], vel[3], life;
};

TEST_F(Effects, SpawnsPlaceTheirParticlesFromTheActorAndTheDraws)
{
    Load(kalder_test::TriggerLevelRecord());
    ActorRecord *hero = Hero();
    hero->position[0] = 100.0;
    hero->position[1] = 140.0;
    hero->position[2] = -50.0;
    hero->velocity[0] = 4.0f;
    hero->velocity[1] = 0.0f;
    hero->velocity[2] = -2.0f;
    hero->radius = 100;
    hero->heading = 0;
    hero->pitch = 0;
    // The node turned a quarter turn about y, so that every row of its matrix counts.
    const int32_t m[9] = {0, 0, -32768, 0, 32768, 0, 32768, 0, 0};
    Set_Obj_Matrix(hero->node, m);

    // Draws below every chance of the trail: each chance is followed by its particle's three draws.
    auto all_low = [] {
        for (int32_t n = 0; n < 3; n++) {
            if (SYS_Rand() >= 4095) {
                return false;
            }
            SYS_Rand(), SYS_Rand(), SYS_Rand();
        }
        return true;
    };
    const struct {
        const char *what;
        int32_t mode, anim, water;
        int32_t motion[3]; // its squared length is v
        int32_t trails;
    } trails[] = {
        {"v 24", 1, 0, 0, {4, 2, 2}, 0},       {"v 26", 1, 0, 0, {5, 1, 0}, 1},
        {"v 401", 1, 0, 0, {20, 1, 0}, 2},     {"v 901", 1, 0, 0, {30, 1, 0}, 3},
        {"animation 3", 1, 3, 0, {30, 1, 0}, 0}, {"under water", 1, 0, 1000, {30, 1, 0}, 0},
        {"swimming", 2, 0, 0, {30, 1, 0}, 0},
    };
    for (const auto &c : trails) {
        SCOPED_TRACE(c.what);
        hero->physics_mode = c.mode;
        hero->current_anim = c.anim;
        PRJ_Current->water_height = c.water;
        std::memcpy(hero->motion_vector, c.motion, sizeof c.motion);
        FX_ParticleWrite = FX_ParticleRead = 0;
        const uint32_t seed = SeedWhere(all_low);
        FX_Trail(hero);
        EXPECT_EQ(FX_ParticleWrite, c.trails);
        if (c.trails > 0) {
            SYS_SRand(seed);
            SYS_Rand(); // the first chance
            const FX_Particle &p = FX_Particles[0];
            EXPECT_EQ(p.life, 100.0f);
            const float hv[3] = {4.0f, 0.0f, -2.0f}, at[3] = {100.0f, 140.0f, -50.0f};
            for (int a = 0; a < 3; a++) {
                EXPECT_EQ(p.vel[a], 2.0f * hv[a]);
                EXPECT_EQ(p.pos[a], at[a] - hv[a] * 15.0f + float(SYS_Rand() - 16383) * 0.0625f);
            }
        }
    }
    PRJ_Current->water_height = 0;

    // Hit debris: two particles, thrown ahead along the node's axes in the stance; at the actor without.
    for (const bool stance : {false, true}) {
        SCOPED_TRACE(stance ? "stance" : "no stance");
        hero->flags[4] = stance ? ACTOR_F4_PITCH_STEERING : 0;
        FX_ParticleWrite = FX_ParticleRead = 0;
        SYS_SRand(7);
        FX_SpawnHitParticles(hero);
        ASSERT_EQ(FX_ParticleWrite, 2);
        SYS_SRand(7);
        for (int32_t n = 0; n < 2; n++) {
            const FX_Particle &p = FX_Particles[n];
            EXPECT_EQ(p.life, 1000.0f);
            if (!stance) {
                EXPECT_EQ(p.pos[0], 100.0f);
                EXPECT_EQ(p.pos[1], 140.0f);
                EXPECT_EQ(p.pos[2], -50.0f);
                EXPECT_EQ(p.vel[2], 0.0f);
                continue;
            }
            const int32_t sx = SYS_Rand() % 65 - 32, sz = SYS_Rand() % 65 - 32;
            // Rows (0, 0, -1), (0, 1, 0), (1, 0, 0): >> 11, >> 10, >> 8 per axis.
            EXPECT_EQ(p.pos[0], 100.0f + float(sx + 0 + 0 + 128));
            EXPECT_EQ(p.pos[1], 140.0f + float(0 + 32 + 0));
            EXPECT_EQ(p.pos[2], -50.0f + float(sz - 16 + 0 + 0));
            EXPECT_EQ(p.vel[0], -32.0f);
            EXPECT_EQ(p.vel[1], 0.0f);
            EXPECT_EQ(p.vel[2], 0.0f);
        }
    }

    // Sparks within the radius, the velocity a quarter of the offset's scale.
    FX_SparkWrite = FX_SparkRead = 0;
    SYS_SRand(11);
    FX_Sparks(hero);
    SYS_SRand(11);
    const FX_Particle &s = FX_SparkRing[0];
    EXPECT_EQ(s.life, 16.0f);
    EXPECT_EQ(s.flags, 0);
    const float at[3] = {100.0f, 140.0f, -50.0f};
    for (int a = 0; a < 3; a++) {
        EXPECT_EQ(s.pos[a], at[a] + float(SYS_Rand() - 16383) * 100.0f / 32767.0f);
    }
    for (int a = 0; a < 3; a++) {
        EXPECT_EQ(s.vel[a], float(SYS_Rand() - 16383) * 100.0f / 131068.0f);
    }

    // The launch puff: facing +x with radius 100, the launch vector is (100, 0, 0).
    FX_ParticleWrite = FX_ParticleRead = 0;
    SYS_SRand(13);
    FX_SpawnEffect(hero);
    SYS_SRand(13);
    const float k = float(SYS_Rand()) / 32767.0f;
    const float r1 = float(SYS_Rand() - 16383), r2 = float(SYS_Rand() - 16383), r3 = float(SYS_Rand() - 16383);
    const float speed = float(SYS_Rand()) / 32767.0f * 5.0f;
    const FX_Particle &e = FX_Particles[0];
    EXPECT_FLOAT_EQ(e.pos[0], 100.0f + k * 100.0f + r1 / 256.0f);
    EXPECT_FLOAT_EQ(e.pos[1], 140.0f + r2 / 512.0f);
    EXPECT_NEAR(e.pos[2], -50.0f + r3 / 256.0f, 1e-3);
    EXPECT_FLOAT_EQ(e.vel[0], 100.0f * speed);
    EXPECT_NEAR(e.vel[2], 0.0f, 1e-6);
    EXPECT_EQ(e.life, 5.0f);
}

TEST_F(Effects, VentsRefillTheAirAndCentreTheEmissionBoxWithinTwoHundredUnits)
{
    Load(LevelRecordBuilder(kalder_test::TriggerLevelRecord())
             .Zone(8, "VENTS", 6, {-1400, 200, 900, 200, 200, 900, -1300, 200, 900})
             .ZoneRate(8, 5));
    ActorRecord *hero = Hero();
    // The emission box about the drawn vent, in 24.8.
    SeedWhere([] { return (SYS_Rand() & 15) == 0; });
    hero->position[0] = 5000.0;
    FX_UpdateEmitters(hero);
    EXPECT_EQ(PART_EmissionA[0], -1400 * 256 - 12800);
    EXPECT_EQ(PART_EmissionA[1], 300 * 256 - 12800);
    EXPECT_EQ(PART_EmissionA[2], 900 * 256 - 12800);
    EXPECT_EQ(PART_EmissionB[0], -1400 * 256 + 12800);
    EXPECT_EQ(PART_EmissionB[1], 300 * 256 - 12800);
    EXPECT_EQ(PART_EmissionB[2], 900 * 256 + 12800);
    // An unused index leaves the box.
    SeedWhere([] { return (SYS_Rand() & 15) == 9; });
    FX_UpdateEmitters(hero);
    EXPECT_EQ(PART_EmissionA[0], -1400 * 256 - 12800);

    const struct {
        double x;
        float gain;
    } cases[] = {{200.0 + 199.9, 5.0f}, {200.0 + 200.0, 0.0f}, {-1350.0, 5.0f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        hero->position[0] = c.x;
        hero->position[1] = 300.0;
        hero->position[2] = 900.0;
        hero->air = 10.0f;
        FX_UpdateEmitters(hero);
        EXPECT_EQ(hero->air, 10.0f + c.gain) << "one vent a tick, even with two in reach";
    }
}

TEST_F(Effects, AManaSphereGivesItsValueOnceAndOneSphereATick)
{
    Load(LevelRecordBuilder(kalder_test::TriggerLevelRecord())
             .Zone(6, "MANA", 2, {-1000, 140, 1200, -1000, 140, 1600, -950, 140, 1600})
             .ZoneRate(6, 20));
    ActorRecord *hero = Hero();
    hero->second_gauge = 0.0f;
    for (int32_t i = 0; i < 3; i++) {
        EXPECT_FALSE(NodeHidden(FX_ManaSpheres[i].node)) << "sphere " << i << " waits in view";
    }
    const struct {
        double x, z;
        float gauge;
    } steps[] = {{-800.0, 1200.0, 0.0f},  {-800.1, 1200.0, 20.0f}, {-800.1, 1200.0, 20.0f},
                 {-1000.0, 1600.0, 40.0f}, {-1000.0, 1600.0, 60.0f}, {-1000.0, 1600.0, 60.0f}};
    for (const auto &s : steps) {
        SCOPED_TRACE(testing::Message() << s.x << " " << s.z);
        hero->position[0] = s.x;
        hero->position[1] = 240.0;
        hero->position[2] = s.z;
        FX_UpdateManaSpheres(hero);
        EXPECT_EQ(hero->second_gauge, s.gauge);
        if (s.gauge == 20.0f) {
            EXPECT_TRUE(NodeHidden(FX_ManaSpheres[0].node)) << "the taken sphere leaves the screen";
            EXPECT_FALSE(NodeHidden(FX_ManaSpheres[1].node)) << "the others stay";
        }
    }
    for (int32_t i = 0; i < 3; i++) {
        EXPECT_EQ(FX_ManaSpheres[i].flags, FX_SPHERE_TAKEN);
        EXPECT_TRUE(NodeHidden(FX_ManaSpheres[i].node)) << i;
    }
}

TEST_F(Effects, GroundElementsRoamTheirBoxFollowTheirLeadersAndSwarmTheHero)
{
    std::vector<int32_t> points;
    for (int32_t i = 0; i < 6; i++) {
        points.insert(points.end(), {-1500 + 240 * i, 150, 1800 + 80 * i});
    }
    Load(LevelRecordBuilder(kalder_test::TriggerLevelRecord())
             .Zone(7, "BEETLES", 3, points)
             .ZoneBox(7, {-1800, 200, 1600}, {-200, 260, 2600})
             .ZoneRate(7, 60));
    ActorRecord *hero = Hero();
    hero->position[0] = 5000.0;
    FX_GroundElement *g = FX_GroundElements;
    int32_t new_targets = 0;
    for (int32_t t = 0; t < 200; t++) {
        float before[6][3];
        for (int32_t i = 0; i < 6; i++) {
            std::memcpy(before[i], g[i].target, sizeof before[i]);
        }
        FX_UpdateGroundElements(hero);
        EXPECT_GE(g[0].pos[0], -1800.0f) << t;
        EXPECT_LE(g[0].pos[0], -200.0f) << t;
        EXPECT_GE(g[0].pos[2], 1600.0f) << t;
        EXPECT_LE(g[0].pos[2], 2600.0f) << t;
        EXPECT_EQ(g[0].pos[1], 250.0f) << "level targets: no climb";
        for (int32_t i = 1; i < 6; i++) {
            if (std::memcmp(before[i], g[i].target, sizeof before[i]) != 0) {
                new_targets++;
                for (int a = 0; a < 3; a++) {
                    EXPECT_LE(std::fabs(g[i].target[a] - g[i].leader->pos[a]), 128.0f) << t << " " << i;
                }
            }
        }
    }
    EXPECT_GT(new_targets, 5) << "the followers keep choosing";

    // The hero 550 units away draws a new target around itself; 450 away doubles the speed too.
    for (const double d : {550.0, 450.0}) {
        SCOPED_TRACE(d);
        FX_GroundElement &e = g[3];
        hero->position[0] = double(e.pos[0]) + d;
        hero->position[1] = double(e.pos[1]);
        hero->position[2] = double(e.pos[2]);
        FX_SwarmHero(&e, hero);
        EXPECT_EQ((e.flags & FX_GROUND_NEAR_HERO) != 0, d < 500.0);
        for (int a = 0; a < 3; a++) {
            const float o = std::fabs(e.target[a] - float(hero->position[a]));
            EXPECT_GE(o, a == 1 ? 31.99f : 199.99f);
            EXPECT_LE(o, a == 1 ? 96.01f : 456.01f);
        }
        // Heading straight away from the target, the element turns by speed x 8 x the time factor,
        // doubled near the hero.
        e.target[0] = e.pos[0] - 1000.0f;
        e.target[2] = e.pos[2] - 100.0f;
        e.heading = 0;
        FX_StepGroundElement(&e);
        EXPECT_EQ(e.heading, d < 500.0 ? 96 : 48);
    }
    hero->position[0] = 5000.0;
    FX_SwarmHero(&g[3], hero);
    EXPECT_EQ(g[3].flags, FX_GROUND_ACTIVE) << "far away, the double speed ends";
}

} // namespace
