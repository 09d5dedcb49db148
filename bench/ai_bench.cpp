// The creature AI's cost: AI_Update per frame with 1, 4, 8 and 16 creatures of two camps around the
// hero (half patrolling a path, half engaged), on a bare cast and on the physics scene (the creatures
// standing on a floor, moved by the physics between the timed updates), and AI_LineOfSight per query
// over a 20,000-triangle floor with walls. Game-specific logic: there is no peer, the figures are set against the 33.3 ms
// frame of 30 frames a second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/game_frame.h"
#include "core/rand.h"
#include "editor/edt.h"
#include "engine3d/coll.h"
#include "engine3d/maths.h"
#include "engine3d/object.h"
#include "engine3d/workarea.h"
#include "tests/support/coll_meshes.h"
#include "tests/support/image_area.h"
#include "tests/support/mem_file_source.h"
#include "tests/support/physics_scene.h"
#include "world/actor.h"
#include "world/ai.h"
#include "world/anim.h"
#include "world/level_record.h"
#include "world/prj.h"

namespace {

using kalder_test::FixtureRandom;
using kalder_test::Vec3;

LevelRecord Level;

// The hero at the centre; creatures in slots 3 on, alternate camps, on a ring of 300..1800 units. The
// even ones have the courage to engage whatever they see, the odd ones none: they patrol.
void Build_Cast(int32_t creatures, kalder_test::PhysicsScene *scene = nullptr)
{
    if (scene == nullptr) {
        for (ActorRecord &a : ACTOR_Slots) {
            ACTOR_InitRecord(&a);
        }
    }
    std::memset(&Level, 0, sizeof Level);
    PRJ_Current = &Level;
    ZoneRecord &path = Level.zones[0];
    path.flags = 1;
    path.point_count = 4;
    const int32_t corners[4][3] = {{-1500, 0, -1500}, {1500, 0, -1500}, {1500, 0, 1500}, {-1500, 0, 1500}};
    std::memcpy(path.points, corners, sizeof corners);
    ANIM_InitSlots();
    EDT_Active = 0;
    GAME_TimeFactor = 1.0;
    ActorRecord &hero = ACTOR_Slots[ACTOR_HERO];
    hero.flags[0] = ACTOR_F0_IN_USE | ACTOR_F0_HERO;
    hero.flags[1] = ACTOR_F1_AI | ACTOR_F1_NO_GROUPING;
    FixtureRandom rnd(5);
    for (int32_t i = 0; i < creatures; i++) {
        ActorRecord &c = ACTOR_Slots[3 + i];
        c.flags[0] = ACTOR_F0_IN_USE;
        c.flags[1] = ACTOR_F1_AI | (i % 2 != 0 ? ACTOR_F1_TEAM : 0);
        c.flags[3] = ACTOR_F3_MAY_RUN;
        c.flags[4] = ACTOR_F4_SEES_ALL_ROUND;
        c.range = i % 4 < 2 ? 1000 : 0;
        const double angle = double(rnd.Range(0, 6283)) / 1000.0, r = double(rnd.Range(300, 1800));
        if (scene != nullptr) {
            scene->Place(&c, r * std::cos(angle), -200, r * std::sin(angle));
        } else {
            c.position[0] = r * std::cos(angle);
            c.position[2] = r * std::sin(angle);
        }
        c.heading = rnd.Range(0, 4095);
    }
    ACTOR_BuildActiveLists();
    AI_BuildGroups();
    SYS_SRand(1);
}

void BM_AiUpdate(benchmark::State &state)
{
    const int32_t creatures = int32_t(state.range(0));
    Build_Cast(creatures);
    for (int i = 0; i < 3; i++) {
        AI_Update(); // past the first frames' state changes
    }
    for (auto _ : state) {
        AI_Update();
    }
    state.counters["creatures"] = double(creatures);
    state.SetItemsProcessed(int64_t(state.iterations()));
    PRJ_Current = nullptr;
}
BENCHMARK(BM_AiUpdate)->Arg(1)->Arg(4)->Arg(8)->Arg(16);

// The same cast standing on a floor of the physics scene, the hero among them: a frame is the physics
// moving everyone and then AI_Update; the same frame without AI_Update is timed beside it, and the
// difference of the two is the AI's share (pausing the timer each frame would cost more than it).
void Physics_Frames(benchmark::State &state, bool with_ai)
{
    const int32_t creatures = int32_t(state.range(0));
    // Slot 1 the hero, slots 2.. figures; the cast's creatures take slots 3...
    kalder_test::PhysicsScene scene(kalder_test::GameFloor(-3000, -3000, 6000, 0), creatures + 2);
    scene.Place(scene.Actor(0), 0, -200, 0);
    scene.Place(scene.Actor(1), 0, -200, 2500);
    Build_Cast(creatures, &scene);
    for (int i = 0; i < 3; i++) {
        scene.Step();
        AI_Update();
    }
    for (auto _ : state) {
        scene.Step();
        if (with_ai) {
            AI_Update();
        }
    }
    state.counters["creatures"] = double(creatures);
    state.SetItemsProcessed(int64_t(state.iterations()));
    PRJ_Current = nullptr;
}
void BM_AiUpdateOnPhysics(benchmark::State &state) { Physics_Frames(state, true); }
void BM_PhysicsAloneOnPhysics(benchmark::State &state) { Physics_Frames(state, false); }
BENCHMARK(BM_AiUpdateOnPhysics)->Arg(1)->Arg(4)->Arg(8)->Arg(16);
BENCHMARK(BM_PhysicsAloneOnPhysics)->Arg(1)->Arg(4)->Arg(8)->Arg(16);

// The floor of 100 x 100 cells (20,000 triangles) with twelve walls across it, and two nodes placed
// where the pipeline leaves them each frame; the queries run between random points above the floor.
struct Sight {
    kalder_test::ImageArea area{16000000};
    OBJ_Handle a = -1, b = -1;
    std::vector<std::pair<Vec3, Vec3>> segments;
};

void Place(OBJ_Handle node, const Vec3 &p)
{
    const Addr record = W_Addr(Get_Obj_Ptr(node));
    for (int i = 0; i < 3; i++) {
        W_Set32(record + 76 + Addr(i) * 4, p[size_t(i)]);
    }
}

void BM_LineOfSight(benchmark::State &state)
{
    Sight s;
    kalder_test::CollMeshSpec scene = kalder_test::FloorGrid(100, 100, 64, 96, 31);
    for (int32_t w = 0; w < 12; w++) {
        scene.Append(kalder_test::Wall(w * 500, w * 500 + 400, 300 + w * 500, -100, 400));
    }
    kalder_test::MemFiles_Add("sight.3di", scene.Bytes());
    const OBJ_Handle mesh = Load_Obj("sight.3di");
    kalder_test::MemFiles_Add("node.3di", kalder_test::Wall(0, 10, 0, 0, 10).Bytes());
    s.a = Load_Obj("node.3di");
    s.b = Load_Obj("node.3di");
    if (mesh < 0 || s.a < 0 || s.b < 0) {
        state.SkipWithError("the scene does not load");
        return;
    }
    Coll_Init();
    Coll_Add_Mesh(mesh);
    int32_t still[9];
    Mat_Rotate(0, 0, 0, still);
    const int32_t origin[3] = {0, 0, 0};
    Set_Obj_Matrix(0, still);
    Set_Obj_Pos(0, origin);
    FixtureRandom rnd(9);
    for (int i = 0; i < 1000; i++) {
        s.segments.push_back({{rnd.Range(0, 6400), rnd.Range(150, 300), rnd.Range(0, 6400)},
                              {rnd.Range(0, 6400), rnd.Range(150, 300), rnd.Range(0, 6400)}});
    }
    ActorRecord a, b;
    ACTOR_InitRecord(&a);
    ACTOR_InitRecord(&b);
    a.node = s.a;
    b.node = s.b;
    size_t k = 0;
    int64_t clear = 0;
    for (auto _ : state) {
        const auto &seg = s.segments[k++ % s.segments.size()];
        Place(s.a, seg.first);
        Place(s.b, seg.second);
        clear += AI_LineOfSight(&a, &b);
    }
    state.counters["clear_share"] = double(clear) / double(state.iterations());
    state.SetItemsProcessed(int64_t(state.iterations()));
    Coll_Free();
}
BENCHMARK(BM_LineOfSight);

bool Pick_Us(const benchmark::BenchmarkReporter::Run &r, double *value)
{
    if (r.iterations == 0) {
        return false;
    }
    // CPU time: the figures of a shared machine, whose wall clock also counts the others.
    *value = r.GetAdjustedCPUTime() / 1000.0; // ns -> us
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter(Pick_Us);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nCreature AI summary (no peer: game-specific logic)\n");
    for (int n : {1, 4, 8, 16}) {
        const std::string name = "BM_AiUpdate/" + std::to_string(n);
        const auto it = reporter.figures.find(name);
        if (it == reporter.figures.end()) {
            continue;
        }
        std::printf("%2d creatures: %.3f us a frame, %.3f us a creature, %.4f%% of the 33.3 ms frame (%s)\n", n,
                    it->second, it->second / n, it->second / 33333.3 * 100.0, reporter.Spread(name).c_str());
    }
    const auto sight = reporter.figures.find("BM_LineOfSight");
    if (sight != reporter.figures.end()) {
        std::printf("line of sight: %.3f us a query (%s)\n", sight->second, reporter.Spread("BM_LineOfSight").c_str());
    }
    benchmark::Shutdown();
    return 0;
}
