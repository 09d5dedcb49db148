// The game tick on the demo level: µs per GAME_Tick of Project0 with its frame composed, the same
// with the render's scan pass (the rasteriser) replaced by nothing, which leaves the tick's own cost
// and the render's geometry, the tick with the hero walking (Up held), a whole project switch (the
// fade's last tick and the load tick), and the tick of Project1 with every effect live.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/opt.h"
#include "core/scr.h"
#include "engine3d/render.h"
#include "tests/support/demo_level.h"
#include "tests/support/level_start.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/ctrl.h"
#include "world/fgt.h"
#include "world/fx.h"
#include "world/game.h"
#include "world/prj.h"

namespace {

// The demo installation, started as far as a level needs, with Project0 loaded and its scene stream
// read to the end.
struct DemoLevel {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{640, 480};

    DemoLevel()
    {
        if (!kalder_test::WriteDemoInstallation(drives)) {
            std::fprintf(stderr, "game_bench: cannot write the demo installation\n");
            std::exit(1);
        }
        kalder_test::StartDemoLevel();
    }
};

DemoLevel &Level()
{
    static DemoLevel level;
    return level;
}

// The hero walking: Up held every tick, the manual fight option so that it never takes the stance, and
// every 70 ticks (the length of the demo key script's walk) put back where it started, out of the timing.
// It runs first, on the level as it was loaded, before the other cases' thousands of ticks move it on.
void BM_TickWalking(benchmark::State &state)
{
    Level();
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    const ActorRecord start = hero;
    const int32_t option = FGT_FightOption;
    FGT_FightOption = 1;
    int ticks = 0;
    for (auto _ : state) {
        if (ticks++ % 70 == 0) {
            state.PauseTiming();
            std::memcpy(hero.position, start.position, sizeof hero.position);
            hero.heading = start.heading;
            hero.life = start.life;
            state.ResumeTiming();
        }
        CTRL_Controls[CTRL_UP] = CTRL_HELD;
        GAME_Tick(0);
    }
    CTRL_Controls[CTRL_UP] = 0;
    FGT_FightOption = option;
}
BENCHMARK(BM_TickWalking)->Name("tick/hero-walking")->Unit(benchmark::kMicrosecond);

void BM_Tick(benchmark::State &state)
{
    Level();
    for (auto _ : state) {
        GAME_Tick(0);
    }
    benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
}
BENCHMARK(BM_Tick)->Name("tick/composed")->Unit(benchmark::kMicrosecond);

void BM_TickWithoutScan(benchmark::State &state)
{
    Level();
    const Scan_Routine scan = Render_Settings.scan_pass;
    Render_Settings.scan_pass = [](uint16_t *) {};
    for (auto _ : state) {
        GAME_Tick(0);
    }
    Render_Settings.scan_pass = scan;
}
BENCHMARK(BM_TickWithoutScan)->Name("tick/no-scan")->Unit(benchmark::kMicrosecond);


// One switch a round, between Project0 and Project1: the tick that ends the fade and makes the next
// project current, then the tick that loads it.
void BM_ProjectSwitch(benchmark::State &state)
{
    Level();
    int n = 0;
    for (auto _ : state) {
        char name[32];
        std::snprintf(name, sizeof name, "Project%d", ++n % 2);
        PRJ_Next = PRJ_SwitchTo(name, sizeof name);
        GAME_FadeTimer = 0.001f;
        GAME_Tick(0);
        GAME_Tick(0);
    }
    if (PRJ_PendingFlag != 0) {
        state.SkipWithError("the project did not load");
    }
}
BENCHMARK(BM_ProjectSwitch)->Name("switch/fade-end+load")->Unit(benchmark::kMicrosecond);

// Project1 with every effect at work: its three mana spheres waiting (out of the hero's reach), its two
// vents drawn for the weather's box each tick, its six beetles roaming, and the particle ring (63 live,
// the most it holds) and the spark ring (15) filled again every 16 ticks, a spark's life, out of the
// timing.
void BM_TickEffects(benchmark::State &state)
{
    Level();
    char name[32] = "Project1";
    PRJ_Next = PRJ_SwitchTo(name, sizeof name);
    GAME_FadeTimer = 0.001f;
    GAME_Tick(0);
    GAME_Tick(0);
    int32_t spheres = 0, vents = 0, beetles = 0;
    for (int32_t i = 0; i < FX_TABLE_COUNT; i++) {
        spheres += FX_ManaSpheres[i].flags == FX_SPHERE_PRESENT;
        vents += FX_Emitters[i].in_use != 0;
        beetles += (FX_GroundElements[i].flags & FX_GROUND_ACTIVE) != 0;
    }
    if (PRJ_PendingFlag != 0 || spheres != 3 || vents != 2 || beetles != 6) {
        state.SkipWithError("Project1 did not load with its spheres, vents and beetles");
        return;
    }
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    int ticks = 0;
    int32_t particles = 0, sparks = 0;
    for (auto _ : state) {
        if (ticks++ % 16 == 0) {
            state.PauseTiming();
            for (int32_t i = 0; i < FX_PARTICLE_COUNT - 1; i++) {
                FX_SpawnTrail(hero);
            }
            for (int32_t i = 0; i < FX_SPARK_COUNT - 1; i++) {
                FX_Sparks(hero);
            }
            state.ResumeTiming();
        }
        GAME_Tick(0);
        particles += (FX_ParticleWrite - FX_ParticleRead + FX_PARTICLE_COUNT) % FX_PARTICLE_COUNT;
        sparks += (FX_SparkWrite - FX_SparkRead + FX_SPARK_COUNT) % FX_SPARK_COUNT;
    }
    state.counters["particles"] = double(particles) / double(state.iterations());
    state.counters["sparks"] = double(sparks) / double(state.iterations());
}
BENCHMARK(BM_TickEffects)->Name("tick/project1-every-effect")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
