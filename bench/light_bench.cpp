// The lighting stages of the pipeline on their own: Compute_Face_Illum and Build_Obj_Lights on a
// 20,000-triangle mesh facing the camera, lit flat (type 2) and per corner (types 22 and 30) by 1, 4
// and 8 point lights. Reports microseconds per frame and nanoseconds per face and light. No peer
// lights at this stage alone; render_bench's "s7-lit" compares whole lit frames.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "engine3d/lighting.h"
#include "engine3d/lights.h"
#include "engine3d/maths.h"
#include "engine3d/render.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

void BM_Lighting(benchmark::State &state)
{
    const int32_t type = int32_t(state.range(0));
    const int32_t lights = int32_t(state.range(1));
    SceneArea area(32u << 20);
    ObjectSpec root;
    root.name = "R";
    // The vertex normals fan out from the object's origin behind the wall, towards the camera.
    const Mesh mesh = WallMesh(-1200, 1200, -900, 900, -400, 100, 100);
    MemFiles_Add("fixt.3dm", FixtureMaterialFile());
    const OBJ_Handle h =
        area.Load("lit.3dc", HierarchyImage({root, MeshObject("Lit", 0, {0, 0, 1900}, mesh, type, "FIXT")}, {{"FIXT", "FIXT", 0}}));
    if (h < 0) {
        state.SkipWithError("the mesh does not load");
        return;
    }
    int32_t identity[9];
    Mat_Identity(identity);
    for (int32_t k = 0; k < lights; k++) {
        const int32_t far = k < 4 ? 1 : 0;
        const int32_t position[3] = {(k & 1) ? 300 + 300 * far : -300 - 300 * far, (k & 2) ? 200 + 250 * far : -200 - 250 * far,
                                     800 + 300 * far};
        Attach_Light(Add_Light(position, identity, LIGHT_POINT, 0, 1500, 20), h + 1);
    }
    // One frame sets up the camera frames, the face chains and the culling the stages read.
    std::vector<uint16_t> frame(640 * 480);
    Render_Frame(frame.data());
    const int64_t faces = nb_faces_drawn;
    const Addr record = SceneArea::Record(h + 1);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        Compute_Face_Illum(record);
        Build_Obj_Lights(record);
        benchmark::ClobberMemory();
    }
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
                      double(state.iterations());
    state.counters["us/frame"] = ns / 1000.0;
    state.counters["ns/face/light"] = ns / double(faces) / double(lights);
    state.counters["faces"] = double(faces);
}
BENCHMARK(BM_Lighting)->ArgNames({"type", "lights"})->ArgsProduct({{2, 22, 30}, {1, 4, 8}})->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
