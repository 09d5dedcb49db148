// The effects: ns per particle per tick of FX_UpdateParticles with 63 live particles, FX_UpdateSparks
// with 15 live sparks and FX_UpdateGroundElements with 16 active elements, on the triggers' small level.
// No peer: the render of the ring's nodes is part of render_bench's frames.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/game_frame.h"
#include "plat/test.h"
#include "tests/support/trigger_level.h"
#include "world/actor.h"
#include "world/fx.h"

namespace {

struct Bench {
    kalder_test::TriggerLevel level;
    Bench()
    {
        std::vector<int32_t> points;
        for (int32_t i = 0; i < 16; i++) {
            points.insert(points.end(), {-1500 + 80 * i, 150, 1800 + 50 * i});
        }
        level.Load(kalder_test::LevelRecordBuilder(kalder_test::TriggerLevelRecord())
                       .Zone(9, "BEETLES", 3, points)
                       .ZoneBox(9, {-1800, 200, 1600}, {-200, 260, 2600})
                       .ZoneRate(9, 60)
                       .Bytes());
        GAME_TimeFactor = 1.0;
    }
};

Bench &The_Bench()
{
    test::SetExitHook(test::ThrowOnExit);
    static Bench bench;
    return bench;
}

void BM_Particles(benchmark::State &state)
{
    The_Bench();
    ActorRecord *hero = kalder_test::TriggerLevel::Hero();
    for (auto _ : state) {
        state.PauseTiming();
        // 63 long-lived particles: none leaves during the timed step.
        FX_ParticleWrite = FX_ParticleRead = 0;
        for (int32_t i = 0; i < 63; i++) {
            FX_SpawnTrail(hero);
        }
        state.ResumeTiming();
        FX_UpdateParticles();
    }
    state.counters["ns/particle"] =
        benchmark::Counter(double(state.iterations()) * 63.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Particles)->Name("fx/particles-63-live");

void BM_Sparks(benchmark::State &state)
{
    The_Bench();
    ActorRecord *hero = kalder_test::TriggerLevel::Hero();
    for (auto _ : state) {
        state.PauseTiming();
        FX_SparkWrite = FX_SparkRead = 0;
        for (int32_t i = 0; i < 15; i++) {
            FX_Sparks(hero);
        }
        state.ResumeTiming();
        FX_UpdateSparks();
    }
    state.counters["ns/spark"] =
        benchmark::Counter(double(state.iterations()) * 15.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Sparks)->Name("fx/sparks-15-live");

void BM_Ground(benchmark::State &state)
{
    The_Bench();
    ActorRecord *hero = kalder_test::TriggerLevel::Hero();
    int32_t active = 0;
    for (const FX_GroundElement &g : FX_GroundElements) {
        active += (g.flags & FX_GROUND_ACTIVE) != 0;
    }
    if (active != 16) {
        state.SkipWithError("not 16 active elements");
        return;
    }
    for (auto _ : state) {
        FX_UpdateGroundElements(hero);
    }
    state.counters["ns/element"] =
        benchmark::Counter(double(state.iterations()) * 16.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Ground)->Name("fx/ground-elements-16-active");

} // namespace

BENCHMARK_MAIN();
