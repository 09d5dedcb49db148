// Collision boxes and their pairs.
// - Update_All_Boxes on 500 objects of 4 boxes each: microseconds per frame.
// - Pairs_Sweep on 256 boxes drifting a little each frame, against the brute-force test of every pair's
//   bounds and, when Bullet is built in, its incremental sweep and prune (btAxisSweep3) on the same boxes.
// - Pair_Test_Shapes per call on 64 pairs of turned boxes near each other, warm (the features kept
//   from call to call, as the pairs keep them from frame to frame) and cold (from 0 and 0), against
//   Bullet's GJK closest points (btGjkPairDetector) on the same boxes.
// A summary after the table gives the figures and the ratios, "not available" for a missing peer.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#ifdef KALDER_HAVE_BULLET
#include <btBulletCollisionCommon.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkEpaPenetrationDepthSolver.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkPairDetector.h>
#include <BulletCollision/NarrowPhaseCollision/btPointCollector.h>
#include <BulletCollision/NarrowPhaseCollision/btVoronoiSimplexSolver.h>
#endif

#include "bench/summary.h"
#include "engine3d/boxes.h"
#include "engine3d/boxfeat.h"
#include "engine3d/pairs.h"
#include "engine3d/render.h"
#include "tests/support/scenes.h"

using namespace kalder_test;

namespace {

// ---- Update_All_Boxes ----------------------------------------------------------------------------

void BM_Update_All_Boxes(benchmark::State &state)
{
    SceneArea area;
    std::vector<ObjectSpec> objects(1);
    objects[0].name = "boxes";
    for (int i = 0; i < 500; i++) {
        ObjectSpec o;
        o.name = "O" + std::to_string(i);
        o.parent = 0;
        o.position = {(i % 25) * 200 - 2500, (i / 25) * 100 - 1000, 3000 + (i % 7) * 100};
        for (int b = 0; b < 4; b++) {
            o.box_corners.push_back(BoxAround({float(b * 30), 0, 0}, {40, 50, 60}, 0.1 * b, 0.05 * i));
        }
        objects.push_back(o);
    }
    if (area.Load("boxes.3dc", HierarchyImage(objects, {})) < 0) {
        state.SkipWithError("the scene does not load");
        return;
    }
    PlaceRootCamera({100, -50, -200}, 150);
    XForm_Tree(0);
    for (auto _ : state) {
        Update_All_Boxes();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2000);
}

// ---- Sweeps --------------------------------------------------------------------------------------

constexpr int Sweep_Boxes = 256;

// 256 boxes in a cube of 2000 units, each drifting by its own small velocity and bouncing off the
// walls: the same motion for every contender.
struct Drift {
    std::vector<float> lo, hi, velocity; // 3 per box
    explicit Drift(uint32_t seed)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> at(0, 2000), size(20, 120), speed(-2, 2);
        for (int b = 0; b < Sweep_Boxes; b++) {
            for (int k = 0; k < 3; k++) {
                lo.push_back(at(rng));
                hi.push_back(lo.back() + size(rng));
                velocity.push_back(speed(rng));
            }
        }
    }
    void Step()
    {
        for (size_t i = 0; i < lo.size(); i++) {
            if (lo[i] + velocity[i] < 0 || hi[i] + velocity[i] > 2200) {
                velocity[i] = -velocity[i];
            }
            lo[i] += velocity[i];
            hi[i] += velocity[i];
        }
    }
};

void BM_Pairs_Sweep(benchmark::State &state)
{
    SceneArea area;
    ObjectSpec root, many;
    root.name = "sweep";
    many.name = "Many";
    many.parent = 0;
    many.boxes = Sweep_Boxes;
    const OBJ_Handle h = area.Load("sweep.3dc", HierarchyImage({root, many}, {})) + 1;
    Pairs_Init(Sweep_Boxes);
    Drift drift(7);
    std::vector<uint8_t *> boxes;
    for (int b = 0; b < Sweep_Boxes; b++) {
        boxes.push_back(Get_Box(h, b));
        Pairs_Add_Box(h, b);
    }
    auto write = [&] {
        for (int b = 0; b < Sweep_Boxes; b++) {
            std::memcpy(boxes[size_t(b)] + BOX_MINIMUM, &drift.lo[size_t(3 * b)], 12);
            std::memcpy(boxes[size_t(b)] + BOX_MAXIMUM, &drift.hi[size_t(3 * b)], 12);
        }
    };
    write();
    Pairs_Sweep();
    for (auto _ : state) {
        drift.Step();
        write();
        Pairs_Sweep();
    }
    state.counters["pairs"] = Pairs.active_count;
    Pairs_Free();
}

void BM_Brute_Force(benchmark::State &state)
{
    Drift drift(7);
    std::vector<std::pair<int, int>> pairs;
    pairs.reserve(Sweep_Boxes * Sweep_Boxes / 2);
    for (auto _ : state) {
        drift.Step();
        pairs.clear();
        for (int a = 0; a < Sweep_Boxes; a++) {
            for (int b = a + 1; b < Sweep_Boxes; b++) {
                bool overlap = true;
                for (int k = 0; k < 3 && overlap; k++) {
                    overlap = drift.lo[size_t(3 * a + k)] <= drift.hi[size_t(3 * b + k)] &&
                              drift.lo[size_t(3 * b + k)] <= drift.hi[size_t(3 * a + k)];
                }
                if (overlap) {
                    pairs.push_back({a, b});
                }
            }
        }
        benchmark::DoNotOptimize(pairs.data());
    }
    state.counters["pairs"] = double(pairs.size());
}

#ifdef KALDER_HAVE_BULLET
void BM_btAxisSweep3(benchmark::State &state)
{
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btAxisSweep3 sweep(btVector3(-100, -100, -100), btVector3(2300, 2300, 2300), Sweep_Boxes + 2);
    Drift drift(7);
    std::vector<btBroadphaseProxy *> proxies;
    auto v = [](const std::vector<float> &x, int b) { return btVector3(x[size_t(3 * b)], x[size_t(3 * b + 1)], x[size_t(3 * b + 2)]); };
    for (int b = 0; b < Sweep_Boxes; b++) {
        proxies.push_back(sweep.createProxy(v(drift.lo, b), v(drift.hi, b), BOX_SHAPE_PROXYTYPE, nullptr, 1, -1, &dispatcher));
    }
    sweep.calculateOverlappingPairs(&dispatcher);
    for (auto _ : state) {
        drift.Step();
        for (int b = 0; b < Sweep_Boxes; b++) {
            sweep.setAabb(proxies[size_t(b)], v(drift.lo, b), v(drift.hi, b), &dispatcher);
        }
        sweep.calculateOverlappingPairs(&dispatcher);
    }
    state.counters["pairs"] = sweep.getOverlappingPairCache()->getNumOverlappingPairs();
    for (btBroadphaseProxy *p : proxies) {
        sweep.destroyProxy(p, &dispatcher);
    }
}
#endif

// ---- Closest features ----------------------------------------------------------------------------

struct BoxPair {
    std::array<float, 3> centre_b, half_a, half_b;
    double yaw_a, pitch_a, yaw_b, pitch_b;
    std::vector<uint8_t> a, b; // box records with their world corners
};

std::vector<BoxPair> Make_Pairs()
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> half(40, 100), dir(-1, 1), distance(180, 320);
    std::uniform_real_distribution<double> angle(0, 6.283);
    std::vector<BoxPair> pairs(64);
    for (BoxPair &p : pairs) {
        float d[3] = {dir(rng), dir(rng), dir(rng)};
        const float n = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) + 1e-3f, r = distance(rng);
        p.centre_b = {d[0] / n * r, d[1] / n * r, d[2] / n * r};
        p.half_a = {half(rng), half(rng), half(rng)};
        p.half_b = {half(rng), half(rng), half(rng)};
        p.yaw_a = angle(rng);
        p.pitch_a = angle(rng);
        p.yaw_b = angle(rng);
        p.pitch_b = angle(rng);
        const BoxSpec a = BoxAround({0, 0, 0}, p.half_a, p.yaw_a, p.pitch_a);
        const BoxSpec b = BoxAround(p.centre_b, p.half_b, p.yaw_b, p.pitch_b);
        p.a.assign(BOX_SIZE, 0);
        p.b.assign(BOX_SIZE, 0);
        std::memcpy(p.a.data() + BOX_WORLD, a.data(), 96);
        std::memcpy(p.b.data() + BOX_WORLD, b.data(), 96);
    }
    return pairs;
}

void BM_Pair_Test_Shapes(benchmark::State &state, bool warm)
{
    const std::vector<BoxPair> pairs = Make_Pairs();
    std::vector<int32_t> features(2 * pairs.size(), 0);
    float pa[3], pb[3];
    int64_t steps = 0, calls = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < pairs.size(); i++) {
            if (!warm) {
                features[2 * i] = features[2 * i + 1] = 0;
            }
            steps += Pair_Test_Shapes(pairs[i].a.data(), pa, &features[2 * i], pairs[i].b.data(), pb, &features[2 * i + 1]);
            calls++;
        }
        benchmark::DoNotOptimize(pa);
    }
    state.SetItemsProcessed(calls);
    state.counters["steps"] = double(steps) / double(calls ? calls : 1);
}

#ifdef KALDER_HAVE_BULLET
btTransform Placement(const std::array<float, 3> &centre, double yaw, double pitch)
{
    const double cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    // The turn of BoxAround: yaw about y, then pitch about x.
    const btMatrix3x3 m(btScalar(cy), 0, btScalar(sy), btScalar(-sp * -sy), btScalar(cp), btScalar(-sp * cy),
                        btScalar(cp * -sy), btScalar(sp), btScalar(cp * cy));
    return btTransform(m, btVector3(centre[0], centre[1], centre[2]));
}

void BM_btGjkPairDetector(benchmark::State &state)
{
    const std::vector<BoxPair> pairs = Make_Pairs();
    std::vector<btBoxShape> a, b;
    std::vector<btGjkPairDetector::ClosestPointInput> inputs(pairs.size());
    a.reserve(pairs.size());
    b.reserve(pairs.size());
    for (size_t i = 0; i < pairs.size(); i++) {
        a.emplace_back(btVector3(pairs[i].half_a[0], pairs[i].half_a[1], pairs[i].half_a[2]));
        b.emplace_back(btVector3(pairs[i].half_b[0], pairs[i].half_b[1], pairs[i].half_b[2]));
        inputs[i].m_transformA = Placement({0, 0, 0}, pairs[i].yaw_a, pairs[i].pitch_a);
        inputs[i].m_transformB = Placement(pairs[i].centre_b, pairs[i].yaw_b, pairs[i].pitch_b);
    }
    btVoronoiSimplexSolver simplex;
    btGjkEpaPenetrationDepthSolver depth;
    int64_t calls = 0;
    double distance = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < pairs.size(); i++) {
            btGjkPairDetector detector(&a[i], &b[i], &simplex, &depth);
            btPointCollector out;
            detector.getClosestPoints(inputs[i], out, nullptr);
            distance += out.m_distance;
            calls++;
        }
    }
    benchmark::DoNotOptimize(distance);
    state.SetItemsProcessed(calls);
}
#endif

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("Update_All_Boxes", BM_Update_All_Boxes)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Pairs_Sweep", BM_Pairs_Sweep)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BruteForce", BM_Brute_Force)->Unit(benchmark::kMicrosecond);
#ifdef KALDER_HAVE_BULLET
    benchmark::RegisterBenchmark("btAxisSweep3", BM_btAxisSweep3)->Unit(benchmark::kMicrosecond);
#endif
    benchmark::RegisterBenchmark("Pair_Test_Shapes/warm", BM_Pair_Test_Shapes, true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Pair_Test_Shapes/cold", BM_Pair_Test_Shapes, false)->Unit(benchmark::kMicrosecond);
#ifdef KALDER_HAVE_BULLET
    benchmark::RegisterBenchmark("btGjkPairDetector", BM_btGjkPairDetector)->Unit(benchmark::kMicrosecond);
#endif
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    auto us = [&reporter](const char *name) {
        auto it = reporter.figures.find(name);
        char text[32] = "not available";
        if (it != reporter.figures.end()) {
            std::snprintf(text, sizeof text, "%.2f", it->second * 1e6);
        }
        return std::string(text);
    };
    std::printf("\nUpdate_All_Boxes, 500 objects of 4 boxes: %s us per frame\n", us("Update_All_Boxes").c_str());
    std::printf("Sweep of 256 drifting boxes, us per frame: Pairs_Sweep %s, brute force %s, btAxisSweep3 %s\n",
                us("Pairs_Sweep").c_str(), us("BruteForce").c_str(), us("btAxisSweep3").c_str());
    std::printf("  brute force / Pairs_Sweep: %s, btAxisSweep3 / Pairs_Sweep: %s\n",
                Ratio(reporter, "BruteForce", "Pairs_Sweep").c_str(), Ratio(reporter, "btAxisSweep3", "Pairs_Sweep").c_str());
    std::printf("Closest points of 64 box pairs, us per 64 calls: warm %s, cold %s, btGjkPairDetector %s\n",
                us("Pair_Test_Shapes/warm").c_str(), us("Pair_Test_Shapes/cold").c_str(), us("btGjkPairDetector").c_str());
    std::printf("  btGjkPairDetector / warm: %s, btGjkPairDetector / cold: %s\n",
                Ratio(reporter, "btGjkPairDetector", "Pair_Test_Shapes/warm").c_str(),
                Ratio(reporter, "btGjkPairDetector", "Pair_Test_Shapes/cold").c_str());
    return 0;
}
