// Shadows on the demo level: one placement of the hero's shadow, flat and true (its silhouette rendered
// into the 128 x 256 target); the silhouette's render alone beside SDL's software renderer drawing the
// same projected triangles into a 128 x 256 target texture; and the demo frame (tick and composition)
// with 16 flat shadows and with the hero's true one.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/opt.h"
#include "core/scr.h"
#include "engine3d/object.h"
#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/view.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/level_start.h"
#include "tests/support/screen_target.h"
#include "tests/support/shadow_pictures.h"
#include "world/actor.h"
#include "world/game.h"
#include "world/phy.h"
#include "world/prj_load.h"
#include "world/shadow.h"
#include "bench/sdl_geometry.h"

namespace {

// The demo installation in a temporary folder, mapped as the programs map it, and Project0 played
// 40 ticks with flat or true shadows; `extra` more moving actors cloned from the creature.
struct ShadowLevel {
    std::string folder;
    kalder_test::ScreenTarget screen{640, 480};
    bool ready = false;

    ShadowLevel(bool real, int extra = 0)
    {
        char path[] = "/tmp/kalder-shadow-XXXXXX";
        if (mkdtemp(path) == nullptr) {
            return;
        }
        folder = path;
        if (!kalder_test::WriteDemoInstallation(folder) || PLAT_LoadDriveMap(nullptr, folder.c_str()) < 2) {
            return;
        }
        test::SetFrameCapture(false);
        kalder_test::StartShadowDemo(40, real);
        ready = true;
        ActorRecord *source = &ACTOR_Slots[ACTOR_HERO];
        for (int i = 0; i < extra; i++) {
            ActorRecord *a = ACTOR_CloneActor(source);
            if (a == nullptr) {
                break;
            }
            a->position[0] = source->position[0] - 150.0 * (i % 5 + 1);
            a->position[2] = source->position[2] + 150.0 * (i / 5 - 1);
            a->physics_mode = 1;
            PHY_ResetBody(a);
        }
        ACTOR_BuildActiveLists();
    }
    ~ShadowLevel()
    {
        if (ready) {
            kalder_test::StopLevelCore();
        }
        OPT_RealShadow = 0;
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
};

void BM_Place(benchmark::State &state, bool real)
{
    ShadowLevel level(real);
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    if (!level.ready || hero->shadow_slot >= SHADOW_SLOT_COUNT) {
        state.SkipWithError("the demo level has no hero with a shadow");
        return;
    }
    for (auto _ : state) {
        SHADOW_Place(hero);
        benchmark::ClobberMemory();
    }
    state.counters["us"] = benchmark::Counter(double(state.iterations()) * 1e-6,
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The silhouette's view as the shadow code sets it up, held for the timed loop.
struct SilhouetteView {
    OBJ_ViewParams saved = OBJ_View;
    OBJ_Handle character;
    explicit SilhouetteView(OBJ_Handle node) : character(node)
    {
        Set_Screen_Size(SHADOW_TARGET_WIDTH, SHADOW_TARGET_HEIGHT);
        Set_Viewport(SHADOW_TARGET_WIDTH, SHADOW_TARGET_HEIGHT, 0, 0, 800);
        Link_Obj(character, SHADOW_Camera);
        Replace_Prim_Type(character, 2, 27);
    }
    ~SilhouetteView()
    {
        Replace_Prim_Type(character, 27, 2);
        Link_Obj(character, 0);
        OBJ_View = saved;
        Init_Edge_Lists();
    }
};

std::vector<uint16_t> Target(size_t(SHADOW_TARGET_WIDTH) * SHADOW_TARGET_HEIGHT);

void BM_SilhouetteOurs(benchmark::State &state)
{
    ShadowLevel level(true);
    ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
    if (!level.ready) {
        state.SkipWithError("the demo installation cannot be written");
        return;
    }
    SHADOW_Place(hero); // places the shadow camera
    SilhouetteView view(hero->node);
    for (auto _ : state) {
        Render_Frame_From(SHADOW_Camera, Target.data());
        benchmark::ClobberMemory();
    }
    state.counters["us"] = benchmark::Counter(double(state.iterations()) * 1e-6,
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

#ifdef KALDER_HAVE_SDL
// The same frame's projected triangles, from the render's geometry-only pass, filled by SDL's software
// renderer in one colour into a 128 x 256 target texture.
void BM_SilhouetteSdl(benchmark::State &state)
{
    std::vector<SDL_Vertex> vertices;
    {
        ShadowLevel level(true);
        ActorRecord *hero = &ACTOR_Slots[ACTOR_HERO];
        if (!level.ready) {
            state.SkipWithError("the demo installation cannot be written");
            return;
        }
        SHADOW_Place(hero);
        SilhouetteView view(hero->node);
        Render_Settings.geom_only = 1;
        Render_Frame_From(SHADOW_Camera, Target.data());
        Render_Settings.geom_only = 0;
        vertices = bench_peer::GeometryTriangles(SDL_Color{1, 1, 1, 255});
    }
    bench_peer::TimeSdlGeometry(state, vertices, 128, 256);
}
BENCHMARK(BM_SilhouetteSdl)->Unit(benchmark::kMicrosecond);
#endif

// The demo frame: one tick (the physics places every shadow) and its composition.
void BM_Frame(benchmark::State &state, bool real, int extra)
{
    ShadowLevel level(real, extra);
    if (!level.ready) {
        state.SkipWithError("the demo installation cannot be written");
        return;
    }
    for (auto _ : state) {
        GAME_Tick(0);
        SCR_ComposeFrame();
        benchmark::ClobberMemory();
    }
    state.counters["shadows"] = double(SHADOW_AttachedCount);
    state.counters["ms"] = benchmark::Counter(double(state.iterations()) * 1e-3,
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(BM_Place, flat, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Place, real, true)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SilhouetteOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, flat_16, false, 14)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Frame, real_1, true, 0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
