// The collision space's sweeps and segment queries against brute force and Bullet's broad phases on
// the same boxes and motions: time per frame of 255 bodies walking over a 20,000-triangle floor, and
// time per 1,000 line-of-sight queries.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "engine3d/coll.h"
#include "engine3d/colltest.h"
#include "tests/support/coll_meshes.h"
#include "tests/support/coll_reference.h"
#include "tests/support/image_area.h"

#ifdef KALDER_HAVE_BULLET
#include <BulletCollision/BroadphaseCollision/btAxisSweep3.h>
#include <BulletCollision/CollisionDispatch/btCollisionDispatcher.h>
#include <BulletCollision/CollisionDispatch/btDefaultCollisionConfiguration.h>
#include <BulletCollision/CollisionShapes/btBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btTriangleCallback.h>
#include <BulletCollision/CollisionShapes/btTriangleMesh.h>
#include <BulletCollision/NarrowPhaseCollision/btRaycastCallback.h>
#endif

namespace {

using kalder_test::FixtureRandom;
using kalder_test::Vec3;

constexpr int32_t Grid = 100, Cell = 64, Bodies = 255, Frames = 600, Queries = 1000;

// The scene: the floor in a started library and in the space, the bodies' centres for every frame,
// their radii and masks, and the segments of the line-of-sight queries.
struct Scene {
    kalder_test::ImageArea area{12000000};
    OBJ_Handle mesh = -1;
    kalder_test::CollMeshSpec floor;
    std::vector<kalder_test::RefBox> boxes;
    std::vector<int32_t> radius, mask;
    std::vector<Vec3> centre; // frame * Bodies + body
    std::vector<std::pair<Vec3, Vec3>> segments;
    std::vector<OBJ_CollBody *> bodies;
};

Scene *S = nullptr;

void Build_Scene()
{
    S = new Scene;
    S->floor = kalder_test::FloorGrid(Grid, Grid, Cell, 96, 31);
    kalder_test::SnapTo4(&S->floor);
    kalder_test::MemFiles_Add("floor.3di", S->floor.Bytes());
    S->mesh = Load_Obj("floor.3di");
    if (S->mesh == -1) {
        std::fprintf(stderr, "coll_bench: the floor does not load\n");
        std::exit(1);
    }
    Coll_Init();
    Coll_Add_Mesh(S->mesh);
    const Addr body = Get_Obj_Block(S->mesh) + 20;
    S->boxes = kalder_test::RefBoxes(Work_Area, W_GetAddr(body + 12), W_Get32(body + 8));

    FixtureRandom rnd(77);
    const int32_t extent = Grid * Cell;
    std::vector<Vec3> at(Bodies), step(Bodies);
    for (int32_t b = 0; b < Bodies; b++) {
        S->radius.push_back(rnd.Range(8, 32) * 4 + 2);
        S->mask.push_back(b % 2 ? 15 : 7);
        at[size_t(b)] = {rnd.Range(0, extent / 4) * 4, rnd.Range(-8, 40) * 4, rnd.Range(0, extent / 4) * 4};
    }
    for (int32_t f = 0; f < Frames; f++) {
        for (int32_t b = 0; b < Bodies; b++) {
            Vec3 &p = at[size_t(b)], &d = step[size_t(b)];
            if (f % 40 == 0) { // a new direction now and then, 4 to 16 units a frame on each of x and z
                d = {rnd.Range(1, 4) * 4 * (rnd.Range(0, 1) ? 1 : -1), 0, rnd.Range(1, 4) * 4 * (rnd.Range(0, 1) ? 1 : -1)};
            }
            for (int k : {0, 2}) {
                p[size_t(k)] += d[size_t(k)];
                if (p[size_t(k)] < 0 || p[size_t(k)] > extent) { // bounce off the grid's edges
                    d[size_t(k)] = -d[size_t(k)];
                    p[size_t(k)] += 2 * d[size_t(k)];
                }
            }
            S->centre.push_back(p);
        }
    }
    for (int32_t q = 0; q < Queries; q++) {
        const Vec3 a{rnd.Range(0, extent), rnd.Range(40, 200), rnd.Range(0, extent)};
        const Vec3 b{rnd.Range(0, extent), rnd.Range(-40, 200), rnd.Range(0, extent)};
        S->segments.push_back({a, b});
    }
}

const Vec3 &Centre(int32_t frame, int32_t body) { return S->centre[size_t(frame) * Bodies + size_t(body)]; }

// Starts every body over at its first position, with nothing found yet.
void Reset_Bodies()
{
    for (OBJ_CollBody *b : S->bodies) {
        Coll_Delete_Body(b);
    }
    S->bodies.clear();
    for (int32_t b = 0; b < Bodies; b++) {
        OBJ_CollBody *body = Coll_Create_Body(S->mask[size_t(b)]);
        Coll_Set_Body_Radius(body, S->radius[size_t(b)]);
        S->bodies.push_back(body);
    }
}

// One frame of the game's broad phase: each body's new centre, its sweep and a walk of both lists.
int64_t Kalder_Frame(int32_t f)
{
    int64_t overlaps = 0;
    for (int32_t b = 0; b < Bodies; b++) {
        OBJ_CollBody *body = S->bodies[size_t(b)];
        Copy_Vec(body->centre, Centre(f, b).data());
        Coll_Sweep_Body(body);
        while (Coll_Next_Contact(body) != nullptr) {
            overlaps++;
        }
        while (Coll_Next_Contact2(body) != nullptr) {
        }
    }
    return overlaps;
}

int64_t Brute_Frame(int32_t f)
{
    int64_t overlaps = 0;
    for (int32_t b = 0; b < Bodies; b++) {
        const Vec3 &c = Centre(f, b);
        const int32_t r = S->radius[size_t(b)];
        for (const kalder_test::RefBox &box : S->boxes) {
            bool in = true;
            for (int k = 0; k < 3; k++) {
                in &= box.min[k] < c[size_t(k)] + r && box.max[k] > c[size_t(k)] - r;
            }
            overlaps += in;
        }
    }
    return overlaps;
}

bool Kalder_Sight(const Vec3 &a, const Vec3 &b)
{
    bool blocked = false;
    int32_t out[3];
    while (OBJ_CollTri *t = Coll_Box_Of_Segment(a.data(), b.data())) {
        blocked |= Seg_Cross_Plane(a.data(), b.data(), t, out) != 0;
    }
    return blocked;
}

bool Brute_Sight(const Vec3 &a, const Vec3 &b)
{
    int32_t out[3];
    const Addr tris = W_GetAddr(Get_Obj_Block(S->mesh) + 32);
    for (size_t k = 0; k < S->boxes.size(); k++) {
        const auto *t = reinterpret_cast<const OBJ_CollTri *>(W_Ptr(tris + Addr(k) * sizeof(OBJ_CollTri)));
        if (Seg_Cross_Plane(a.data(), b.data(), t, out) != 0) {
            return true;
        }
    }
    return false;
}

#ifdef KALDER_HAVE_BULLET
btVector3 To_Bt(const Vec3 &v) { return btVector3(btScalar(v[0]), btScalar(v[1]), btScalar(v[2])); }

// The same boxes as static proxies of one filter group, the bodies as moving proxies that meet only it.
struct Bullet_Sweep {
    btDefaultCollisionConfiguration config;
    btCollisionDispatcher dispatcher{&config};
    bt32BitAxisSweep3 sweep{btVector3(-1000, -1000, -1000), btVector3(Grid * Cell + 1000, 2000, Grid * Cell + 1000),
                            uint32_t(Grid * Grid * 2 + Bodies + 8)};
    std::vector<btBroadphaseProxy *> bodies;

    Bullet_Sweep()
    {
        for (const kalder_test::RefBox &box : S->boxes) {
            sweep.createProxy(btVector3(btScalar(box.min[0]), btScalar(box.min[1]), btScalar(box.min[2])),
                              btVector3(btScalar(box.max[0]), btScalar(box.max[1]), btScalar(box.max[2])), 0, nullptr, 1, 2,
                              &dispatcher);
        }
        for (int32_t b = 0; b < Bodies; b++) {
            const btVector3 c = To_Bt(Centre(0, b)), r(btScalar(S->radius[size_t(b)]), btScalar(S->radius[size_t(b)]),
                                                         btScalar(S->radius[size_t(b)]));
            bodies.push_back(sweep.createProxy(c - r, c + r, 0, nullptr, 2, 1, &dispatcher));
        }
    }
    int64_t Frame(int32_t f)
    {
        for (int32_t b = 0; b < Bodies; b++) {
            const btScalar rr = btScalar(S->radius[size_t(b)]);
            const btVector3 c = To_Bt(Centre(f, b)), r(rr, rr, rr);
            sweep.setAabb(bodies[size_t(b)], c - r, c + r, &dispatcher);
        }
        sweep.calculateOverlappingPairs(&dispatcher);
        return sweep.getOverlappingPairCache()->getNumOverlappingPairs();
    }
};

struct Counter : btTriangleCallback {
    int64_t count = 0;
    void processTriangle(btVector3 *, int, int) override { count++; }
};

// Bullet's exact ray-triangle test on each triangle its tree hands out; any hit blocks the sight.
struct Ray_Hit : btTriangleRaycastCallback {
    Ray_Hit(const btVector3 &from, const btVector3 &to) : btTriangleRaycastCallback(from, to) {}
    bool hit = false;
    btScalar reportHit(const btVector3 &, btScalar fraction, int, int) override
    {
        hit = true;
        return fraction;
    }
};

struct Bullet_Mesh {
    btTriangleMesh triangles;
    btBvhTriangleMeshShape *shape = nullptr;
    Bullet_Mesh()
    {
        for (const Vec3 &t : S->floor.triangles) {
            triangles.addTriangle(To_Bt(S->floor.vertices[size_t(t[0])]), To_Bt(S->floor.vertices[size_t(t[1])]),
                                  To_Bt(S->floor.vertices[size_t(t[2])]));
        }
        shape = new btBvhTriangleMeshShape(&triangles, true);
    }
    ~Bullet_Mesh() { delete shape; }
    int64_t Frame(int32_t f)
    {
        Counter counter;
        for (int32_t b = 0; b < Bodies; b++) {
            const btScalar rr = btScalar(S->radius[size_t(b)]);
            const btVector3 c = To_Bt(Centre(f, b)), r(rr, rr, rr);
            shape->processAllTriangles(&counter, c - r, c + r);
        }
        return counter.count;
    }
    bool Sight(const Vec3 &a, const Vec3 &b)
    {
        Ray_Hit hit(To_Bt(a), To_Bt(b));
        shape->performRaycast(&hit, To_Bt(a), To_Bt(b));
        return hit.hit;
    }
};

Bullet_Sweep *Bt_Sweep = nullptr;
Bullet_Mesh *Bt_Mesh = nullptr;
#endif

void Frames_Run(benchmark::State &state, int64_t (*frame)(int32_t), void (*reset)())
{
    for (auto _ : state) {
        state.PauseTiming();
        if (reset != nullptr) {
            reset();
        }
        state.ResumeTiming();
        int64_t overlaps = 0;
        for (int32_t f = 0; f < Frames; f++) {
            overlaps += frame(f);
        }
        benchmark::DoNotOptimize(overlaps);
    }
    state.counters["us_per_frame"] = benchmark::Counter(double(Frames) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                               benchmark::Counter::kInvert);
}

void Sight_Run(benchmark::State &state, bool (*sight)(const Vec3 &, const Vec3 &))
{
    for (auto _ : state) {
        int32_t blocked = 0;
        for (const auto &s : S->segments) {
            blocked += sight(s.first, s.second);
        }
        benchmark::DoNotOptimize(blocked);
    }
}

int64_t Total(int64_t (*frame)(int32_t), void (*reset)())
{
    if (reset != nullptr) {
        reset();
    }
    int64_t total = 0;
    for (int32_t f = 0; f < Frames; f++) {
        total += frame(f);
    }
    return total;
}

int32_t Blocked(bool (*sight)(const Vec3 &, const Vec3 &))
{
    int32_t n = 0;
    for (const auto &s : S->segments) {
        n += sight(s.first, s.second);
    }
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Build_Scene();
    int64_t (*kalder)(int32_t) = Kalder_Frame;
    int64_t (*brute)(int32_t) = Brute_Frame;
    benchmark::RegisterBenchmark("Frame/Kalder", [=](benchmark::State &s) { Frames_Run(s, kalder, Reset_Bodies); })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Frame/BruteForce", [=](benchmark::State &s) { Frames_Run(s, brute, nullptr); })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Sight/Kalder", [](benchmark::State &s) { Sight_Run(s, Kalder_Sight); })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Sight/BruteForce", [](benchmark::State &s) { Sight_Run(s, Brute_Sight); })->Unit(benchmark::kMillisecond);
    std::printf("3D overlaps over %d frames: Kalder %lld, brute force %lld", Frames, (long long)Total(kalder, Reset_Bodies),
                (long long)Total(brute, nullptr));
#ifdef KALDER_HAVE_BULLET
    Bt_Sweep = new Bullet_Sweep;
    Bt_Mesh = new Bullet_Mesh;
    benchmark::RegisterBenchmark("Frame/btAxisSweep3", [](benchmark::State &s) {
        Frames_Run(s, [](int32_t f) { return Bt_Sweep->Frame(f); }, nullptr);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Frame/btBvhTriangleMesh", [](benchmark::State &s) {
        Frames_Run(s, [](int32_t f) { return Bt_Mesh->Frame(f); }, nullptr);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Sight/btBvhRaycast", [](benchmark::State &s) {
        Sight_Run(s, [](const Vec3 &a, const Vec3 &b) { return Bt_Mesh->Sight(a, b); });
    })->Unit(benchmark::kMillisecond);
    std::printf(", btAxisSweep3 %lld, btBvhTriangleMesh %lld", (long long)Total([](int32_t f) { return Bt_Sweep->Frame(f); }, nullptr),
                (long long)Total([](int32_t f) { return Bt_Mesh->Frame(f); }, nullptr));
#endif
    std::printf("\nSegments blocked of %d: Kalder %d, brute force %d", Queries, Blocked(Kalder_Sight), Blocked(Brute_Sight));
#ifdef KALDER_HAVE_BULLET
    std::printf(", Bullet raycast %d", Blocked([](const Vec3 &a, const Vec3 &b) { return Bt_Mesh->Sight(a, b); }));
#endif
    std::printf("\n\n");

    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto per_frame = [&](const std::string &name) {
        auto it = reporter.figures.find(name);
        if (it == reporter.figures.end()) {
            return std::string("not available");
        }
        char text[32];
        std::snprintf(text, sizeof text, "%.1f us", it->second * 1e6 / Frames);
        return std::string(text);
    };
    std::printf("\nCollision summary (per frame of %d bodies; ratios of each peer's time to Kalder's)\n", Bodies);
    for (const char *peer : {"Frame/BruteForce", "Frame/btAxisSweep3", "Frame/btBvhTriangleMesh"}) {
        std::printf("%-24s %14s   Kalder %s   ratio %s\n", peer, per_frame(peer).c_str(), per_frame("Frame/Kalder").c_str(),
                    Ratio(reporter, peer, "Frame/Kalder").c_str());
    }
    std::printf("\nLine of sight (%d queries; ratios of each peer's time to Kalder's)\n", Queries);
    for (const char *peer : {"Sight/BruteForce", "Sight/btBvhRaycast"}) {
        std::printf("%-24s ratio %s\n", peer, Ratio(reporter, peer, "Sight/Kalder").c_str());
    }
    benchmark::Shutdown();
    return 0;
}
