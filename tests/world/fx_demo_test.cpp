// The effects on the demo installation through the whole program: Project1's mana spheres and beetles,
// a hit's debris and sparks, a trail and a ring burst, each as a golden picture.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>
#include <string>

#include "core/rand.h"
#include "tests/support/core_state.h"
#include "tests/support/demo_level.h"
#include "tests/support/golden.h"
#include "tests/support/play_run.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/fx.h"
#include "world/ptc.h"

namespace {

// The whole program on the demo installation, `frames` frames of a project; `first` runs as frame 0
// is about to run, `after` after each frame's tick.
struct DemoRun {
    std::string project;
    int frames = 0;
    std::function<void()> first;
    std::function<void(int frame)> after;

    kalder_test::PlayResult Run()
    {
        kalder_test::ResetCore();
        kalder_test::TempDrives drives("CD");
        EXPECT_TRUE(kalder_test::WriteDemoInstallation(drives));
        kalder_test::PlayOptions options;
        options.project = project;
        options.frames = frames;
        // The draws start from the same seed whatever ran before in the process.
        options.at_first_frame = [this] {
            SYS_SRand(1);
            if (first) {
                first();
            }
        };
        options.after_frame = [this](int frame, const std::string &) {
            if (after) {
                after(frame);
            }
        };
        kalder_test::PlayResult result = kalder_test::PlayRun(options);
        EXPECT_EQ(result.exit_code, 0);
        kalder_test::ResetCore();
        return result;
    }
};

// The hero in its stance, with the ring and the sparks loaded again for it: the larger particles.
void Stance()
{
    ACTOR_Slots[ACTOR_HERO].flags[4] |= ACTOR_F4_PITCH_STEERING;
    FX_LoadShotModels();
    FX_LoadThrownModel();
}

::testing::AssertionResult Golden(const char *name, const kalder_test::PlayResult &r)
{
    return kalder_test::MatchesGolden(name, r.last_frame.data(), r.width, r.height, false);
}

TEST(FxDemoTest, Project1ShowsItsManaSpheresAndItsBeetlesWandering)
{
    DemoRun run;
    run.project = "Project1";
    run.frames = 60;
    int32_t spheres = 0, beetles = 0;
    run.after = [&](int frame) {
        if (frame == 59) {
            for (int32_t i = 0; i < FX_TABLE_COUNT; i++) {
                spheres += FX_ManaSpheres[i].flags == FX_SPHERE_PRESENT;
                beetles += (FX_GroundElements[i].flags & FX_GROUND_ACTIVE) != 0;
            }
        }
    };
    const kalder_test::PlayResult r = run.Run();
    EXPECT_EQ(spheres, 3);
    EXPECT_EQ(beetles, 6);
    EXPECT_TRUE(Golden("fx-project1-640x480", r));
}

TEST(FxDemoTest, AHitThrowsDebrisAndSparks)
{
    DemoRun run;
    run.project = "Project0";
    run.frames = 3;
    run.first = [] {
        Stance();
        ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
        FX_SpawnHitParticles(hero);
        for (int32_t i = 0; i < 4; i++) {
            FX_Sparks(hero);
        }
    };
    int32_t sparks = 0;
    run.after = [&](int frame) {
        if (frame == 2) {
            sparks = (FX_SparkWrite - FX_SparkRead + FX_SPARK_COUNT) % FX_SPARK_COUNT;
        }
    };
    const kalder_test::PlayResult r = run.Run();
    EXPECT_EQ(sparks, 4);
    EXPECT_TRUE(Golden("fx-hit-sparks-640x480", r));
}

TEST(FxDemoTest, AFastMoverLeavesATrail)
{
    DemoRun run;
    run.project = "Project0";
    run.frames = 12;
    auto push = [] {
        // Forward along +z, away from the camera, 31 units a frame: v = 961.
        ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
        hero->physics_mode = 1;
        hero->motion_vector[0] = hero->motion_vector[1] = 0;
        hero->motion_vector[2] = 31;
        hero->velocity[0] = hero->velocity[1] = 0.0f;
        hero->velocity[2] = 31.0f;
        hero->position[2] += 31.0;
        hero->previous_position[2] = hero->position[2];
    };
    run.first = [push] {
        Stance();
        push();
    };
    int32_t trails = 0;
    run.after = [&](int) {
        push();
        trails = (FX_ParticleWrite - FX_ParticleRead + FX_PARTICLE_COUNT) % FX_PARTICLE_COUNT;
    };
    const kalder_test::PlayResult r = run.Run();
    EXPECT_GT(trails, 0);
    EXPECT_TRUE(Golden("fx-trail-640x480", r));
}

TEST(FxDemoTest, ARingBurstFliesOutInACircle)
{
    DemoRun run;
    run.project = "Project0";
    run.frames = 1;
    run.first = [] {
        // 300 units the way the hero faces, as a projectile it launched would fly.
        const ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
        const double a = double(4096 - hero.heading) * 6.2831853071794 / 4096.0;
        const float centre[3] = {float(hero.position[0] + 300.0 * std::cos(a)), float(hero.position[1]),
                                 float(hero.position[2] + 300.0 * std::sin(a))};
        FX_RingBurst(centre);
    };
    const kalder_test::PlayResult r = run.Run();
    EXPECT_EQ(FX_ParticleWrite, 32);
    EXPECT_TRUE(Golden("fx-ring-burst-640x480", r));
}

// The hero put at a place before every frame's tick, and a reading after each.
struct Stay {
    double x, y, z;
};

void PutHero(const Stay &at)
{
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    hero.position[0] = hero.previous_position[0] = at.x;
    hero.position[1] = hero.previous_position[1] = at.y;
    hero.position[2] = hero.previous_position[2] = at.z;
}

TEST(FxDemoTest, TheFirstManaSphereFillsTheGaugeOnce)
{
    DemoRun run;
    run.project = "Project1";
    run.frames = 12;
    const Stay sphere{-1000.0, 140.0, 100.0};
    std::vector<float> gauge;
    run.first = [&] {
        ACTOR_Slots[ACTOR_HERO].second_gauge = 10.0f;
        PutHero(sphere);
    };
    run.after = [&](int) {
        gauge.push_back(ACTOR_Slots[ACTOR_HERO].second_gauge);
        PutHero(sphere);
    };
    run.Run();
    ASSERT_EQ(gauge.size(), 12u);
    int32_t jumps = 0;
    float previous = 10.0f;
    for (float g : gauge) {
        jumps += g - previous > 19.0f;
        previous = g;
    }
    EXPECT_EQ(jumps, 1);
    EXPECT_EQ(FX_ManaSpheres[0].flags, FX_SPHERE_TAKEN);
    EXPECT_EQ(FX_ManaSpheres[1].flags, FX_SPHERE_PRESENT);
}

TEST(FxDemoTest, AtAVentTheEmissionBoxJumpsBetweenTheVents)
{
    DemoRun run;
    run.project = "Project1";
    run.frames = 40;
    const Stay vent{-1400.0, 140.0, 900.0};
    std::vector<float> air;
    std::vector<int32_t> box_x;
    run.first = [&] {
        ACTOR_Slots[ACTOR_HERO].air = 20.0f;
        PutHero(vent);
    };
    run.after = [&](int) {
        air.push_back(ACTOR_Slots[ACTOR_HERO].air);
        box_x.push_back(PART_EmissionA[0]);
        PutHero(vent);
    };
    run.Run();
    ASSERT_EQ(air.size(), 40u);
    // On the ground the fight step holds the air at 100 after the vent's gain; the gain itself is the
    // effects' tests' matter.
    for (float a : air) {
        EXPECT_EQ(a, 100.0f);
    }
    bool near = false, far = false;
    for (int32_t x : box_x) {
        near = near || x == -1400 * 256 - 12800;
        far = far || x == 200 * 256 - 12800;
    }
    EXPECT_TRUE(near && far) << "both vents drawn";
}

} // namespace
