// The effects: ns per particle per tick of FX_UpdateParticles with 63 live particles, FX_UpdateSparks
// with 15 live sparks and FX_UpdateGroundElements with 16 active elements, on the triggers' small level;
// then, on the demo's Project1, the render of the particle ring's 64 nodes facing the camera at
// 640 x 480 (the level's frame with them and without them, and the ring alone), beside SDL's software
// renderer filling the ring's projected triangles into a 640 x 480 target texture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/game_frame.h"
#include "core/opt.h"
#include "engine3d/object.h"
#include "engine3d/records.h"
#include "engine3d/render.h"
#include "engine3d/workarea.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/level_start.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "tests/support/trigger_level.h"
#include "interface/menj.h"
#include "world/actor.h"
#include "world/cam.h"
#include "world/fx.h"
#include "world/game.h"
#include "world/prj.h"
#include "bench/sdl_geometry.h"

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

// The demo installation with Project1 loaded through the game's own project switch, 10 ticks on.
struct Project1 {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{640, 480};
    bool ready = false;

    Project1()
    {
        if (!kalder_test::WriteDemoInstallation(drives)) {
            return;
        }
        // The camera from its start, whatever level was here before.
        CAM_Init();
        kalder_test::StartDemoLevel();
        char name[32] = "Project1";
        PRJ_Next = PRJ_SwitchTo(name, sizeof name);
        GAME_FadeTimer = 0.001f;
        for (int i = 0; i < 12; i++) {
            GAME_Tick(0);
        }
        int32_t spheres = 0;
        for (const FX_ManaSphere &m : FX_ManaSpheres) {
            spheres += m.flags == FX_SPHERE_PRESENT;
        }
        ready = PRJ_PendingFlag == 0 && spheres == 3;
    }
    ~Project1()
    {
        MENJ_Shutdown();
        CAM_Exit();
        kalder_test::StopLevelCore();
    }
};

// One level at a time in the process: the triggers' small level or Project1, each made on first use
// after the other is gone.
std::unique_ptr<Bench> Small;
std::unique_ptr<Project1> Demo;

Bench &The_Bench()
{
    test::SetExitHook(test::ThrowOnExit);
    if (!Small) {
        Demo.reset();
        Small = std::make_unique<Bench>();
    }
    return *Small;
}

Project1 &The_Demo()
{
    test::SetExitHook(test::ThrowOnExit);
    if (!Demo) {
        Small.reset();
        Demo = std::make_unique<Project1>();
    }
    return *Demo;
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

// The ring full: all 64 entries shown in an 8 x 8 grid 40 units apart, 500 units in front of the
// camera, facing it as the particle update turns them; or all hidden.
void Show_Ring(bool shown)
{
    int32_t camera[9], eye[3];
    Get_Obj_Matrix(0, camera);
    Get_Obj_Pos(0, eye);
    for (int32_t i = 0; i < FX_PARTICLE_COUNT; i++) {
        const OBJ_Handle node = FX_Particles[i].node;
        if (!shown) {
            Hide_Obj_Tree(node);
            continue;
        }
        // The matrix's columns are the camera's across, down and ahead axes in 1.15 fixed point.
        const double across = 40.0 * (double(i % 8) - 3.5), down = 40.0 * (double(i / 8) - 3.5);
        int32_t at[3];
        for (int k = 0; k < 3; k++) {
            const int32_t *row = camera + 3 * k;
            at[k] = eye[k] + int32_t((across * row[0] + down * row[1] + 500.0 * row[2]) / 32768.0);
        }
        Set_Obj_Pos(node, at);
        Set_Obj_Matrix(node, camera);
        Show_Obj_Tree(node);
    }
}

bool Is_Ring_Node(OBJ_Handle h)
{
    for (const FX_Particle &p : FX_Particles) {
        if (p.node == h) {
            return true;
        }
    }
    return false;
}

// Everything under the root but the ring hidden for the scope (what was hidden before stays so).
struct RingAlone {
    std::vector<OBJ_Handle> hidden;
    RingAlone()
    {
        for (OBJ_Handle h = Get_Obj_Child(0); h > 0; h = Get_Obj_Sibling(h)) {
            const Addr record = Get_Hierarchy_Record(h);
            const bool was_hidden = (uint32_t(W_Get32(record + Addr(offsetof(OBJ_Record, flags)))) & OBJ_FLAG_SKIP_TREE) != 0;
            if (!Is_Ring_Node(h) && !was_hidden && Hide_Obj_Tree(h) == 0) {
                hidden.push_back(h);
            }
        }
    }
    ~RingAlone()
    {
        for (OBJ_Handle h : hidden) {
            Show_Obj_Tree(h);
        }
    }
};

std::vector<uint16_t> Frame(size_t(640) * 480);

// kinds: 0 the level's frame with the ring, 1 the same without it, 2 the ring alone.
void BM_RingRender(benchmark::State &state, int kind)
{
    Project1 &demo = The_Demo();
    if (!demo.ready) {
        state.SkipWithError("Project1 did not load with its three spheres");
        return;
    }
    Show_Ring(kind != 1);
    std::unique_ptr<RingAlone> alone;
    if (kind == 2) {
        alone = std::make_unique<RingAlone>();
    }
    for (auto _ : state) {
        Render_Frame(Frame.data());
        benchmark::ClobberMemory();
    }
    state.counters["us"] = benchmark::Counter(double(state.iterations()) * 1e-6,
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    alone.reset();
    Show_Ring(false);
}
BENCHMARK_CAPTURE(BM_RingRender, with, 0)->Name("ring/project1-frame-with-64")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RingRender, without, 1)->Name("ring/project1-frame-without")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RingRender, alone, 2)->Name("ring/64-nodes-alone")->Unit(benchmark::kMicrosecond);

#ifdef KALDER_HAVE_SDL
// The ring's projected triangles, from the render's geometry-only pass with everything else hidden,
// filled by SDL's software renderer in one colour into a 640 x 480 target texture.
void BM_RingSdl(benchmark::State &state)
{
    Project1 &demo = The_Demo();
    if (!demo.ready) {
        state.SkipWithError("Project1 did not load with its three spheres");
        return;
    }
    std::vector<SDL_Vertex> vertices;
    {
        Show_Ring(true);
        RingAlone alone;
        Render_Settings.geom_only = 1;
        Render_Frame(Frame.data());
        Render_Settings.geom_only = 0;
        vertices = bench_peer::GeometryTriangles(SDL_Color{240, 240, 240, 255});
    }
    Show_Ring(false);
    bench_peer::TimeSdlGeometry(state, vertices, 640, 480);
}
BENCHMARK(BM_RingSdl)->Name("ring/64-nodes-sdl-geometry")->Unit(benchmark::kMicrosecond);
#endif

} // namespace

// The levels are put away before the process ends, while the engine they were made in still stands.
int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    Demo.reset();
    Small.reset();
    benchmark::Shutdown();
    return 0;
}
