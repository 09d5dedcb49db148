// The render's scene pass (walk, per-object pipeline, near clipping) on built scenes: "floor" as the
// game's view shows it, and a grid of 20,000 triangles wholly in view. The primitive set-up and the
// scan pass are left out, so these are the geometry stage's own figures; there is no peer for it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine3d/raster.h"
#include "engine3d/render.h"
#include "engine3d/setup.h"
#include "engine3d/workarea.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

void Run(benchmark::State &state, kalder_test::SceneArea &area)
{
    Render_Settings.build_obj = [](Addr) {};
    Render_Settings.list_b = nullptr;
    Render_Settings.scan_pass = [](uint16_t *) {};
    std::vector<uint16_t> frame(640 * 480);
    int64_t vertices = 0, faces = 0;
    for (auto _ : state) {
        Render_Frame(frame.data());
        vertices += nb_verts_xformed;
        faces += nb_faces_tested;
        benchmark::DoNotOptimize(Heap_Ptr);
    }
    state.counters["ms/frame"] =
        benchmark::Counter(double(state.iterations()) / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["vertices/s"] = benchmark::Counter(double(vertices), benchmark::Counter::kIsRate);
    state.counters["faces/s"] = benchmark::Counter(double(faces), benchmark::Counter::kIsRate);
    state.counters["clipped"] = double(nb_faces_clipped);
    state.counters["drawn"] = double(nb_faces_drawn);
    Render_Settings.build_obj = Build_Prims;
    Render_Settings.list_b = Build_Prims_B;
    Render_Settings.scan_pass = Scan_Pass;
}

void BM_ScenePassFloor(benchmark::State &state)
{
    SceneArea area;
    if (LoadScene(area, "floor") < 0) {
        state.SkipWithError("the floor does not load");
        return;
    }
    Run(state, area);
}
BENCHMARK(BM_ScenePassFloor);

// 100 x 100 cells, 20,000 triangles facing the camera, all in view.
void BM_ScenePassGrid20000(benchmark::State &state)
{
    SceneArea area;
    ObjectSpec root;
    root.name = "R";
    const Mesh grid = GridMesh(-1500, 1500, 2000, 6000, 1000, 100, 100);
    if (area.Load("grid.3dc", HierarchyImage({root, MeshObject("G", 0, {0, 0, 0}, grid, 2, "CHECK")},
                                             {{"CHECK", "", 0}})) < 0) {
        state.SkipWithError("the grid does not load");
        return;
    }
    Run(state, area);
}
BENCHMARK(BM_ScenePassGrid20000);

} // namespace
