// Posing a 24-node skeleton from tracks of 60 keys per channel: kind 4 in one table, kind 4 blended
// between two tables, and kind-6 splines; beside the same sampling written with GLM's float
// quaternions (slerp, mix, squad and Hermite curves) when GLM is installed. Speeds only: the results
// are not compared.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "engine3d/anim.h"
#include "engine3d/image.h"
#include "tests/support/image_area.h"

#ifdef KALDER_HAVE_GLM
#define GLM_ENABLE_EXPERIMENTAL
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/quaternion.hpp>
#include <glm/gtx/spline.hpp>
#endif

namespace {

constexpr int Nodes = 24, Keys = 60;
// The frames a run steps through: the whole length of the tracks, so that every key is searched for.
constexpr int32_t Frames = 5 * Keys;

int32_t Key_Time(int k) { return 5 * k + (k % 3); }

// Keys of node n: turns about an axis that changes from node to node, positions that wander.
kalder_test::TrackSpec Track(int n, int variant)
{
    kalder_test::TrackSpec t;
    const double ax = std::sin(n + 1.0), ay = std::cos(n * 0.7), az = 0.5;
    const double norm = std::sqrt(ax * ax + ay * ay + az * az);
    for (int k = 0; k < Keys; k++) {
        const double half = 0.5 * std::sin(0.3 * k + n + variant) * 1.5;
        const double s = std::sin(half) / norm;
        t.rotations.push_back({Key_Time(k),
                               {int32_t(std::lround(ax * s * 32767)), int32_t(std::lround(ay * s * 32767)),
                                int32_t(std::lround(az * s * 32767)), int32_t(std::lround(std::cos(half) * 32767))}});
        t.positions.push_back({Key_Time(k), {100 * n + 30 * k, -50 * k + 7 * variant, 1000 + 3 * k * n}});
        t.rotation_splines.push_back({0.2f, 0.1f, t.rotations.back().second, t.rotations.back().second});
        t.position_splines.push_back({0.1f, 0.2f, {40, -40, 10}, {40, -40, 10}});
    }
    return t;
}

std::vector<kalder_test::TrackSpec> Tracks(int variant)
{
    std::vector<kalder_test::TrackSpec> tracks;
    for (int n = 0; n < Nodes; n++) {
        tracks.push_back(Track(n, variant));
    }
    return tracks;
}

// The skeleton and its three animations, loaded once for the whole run.
struct Skeleton {
    kalder_test::ImageArea area{4000000};
    OBJ_Handle body = -1, walk = -1, run = -1, spline = -1;

    Skeleton()
    {
        std::vector<kalder_test::ObjectSpec> objects(Nodes);
        for (int n = 0; n < Nodes; n++) {
            objects[size_t(n)].name = "B" + std::to_string(n);
            objects[size_t(n)].parent = n == 0 ? -1 : (n - 1) / 2;
        }
        kalder_test::MemFiles_Add("body.3dc", kalder_test::HierarchyImage(objects, {}).Finish().bytes);
        kalder_test::MemFiles_Add("walk.3da", kalder_test::TrackImage(4, Tracks(0)).Finish().bytes);
        kalder_test::MemFiles_Add("run.3da", kalder_test::TrackImage(4, Tracks(1)).Finish().bytes);
        kalder_test::MemFiles_Add("spline.3da", kalder_test::TrackImage(6, Tracks(0)).Finish().bytes);
        body = Load_Obj("body.3dc");
        walk = Load_Obj("walk.3da");
        run = Load_Obj("run.3da");
        spline = Load_Obj("spline.3da");
    }
};

Skeleton &The_Skeleton()
{
    static Skeleton s;
    return s;
}

// Runs one pose of the skeleton per iteration at frames that step through the tracks, and counts nodes.
template <typename Pose> void Per_Node(benchmark::State &state, Pose pose)
{
    int32_t f = 0;
    for (auto _ : state) {
        pose(f);
        f = (f + 7) % Frames;
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * Nodes);
}

void Anim_Linear(benchmark::State &state)
{
    Skeleton &s = The_Skeleton();
    Per_Node(state, [&](int32_t f) { benchmark::DoNotOptimize(Anim_Apply(s.body, s.walk + f, s.walk + f + 1, 100, 0)); });
}

void Anim_Blend(benchmark::State &state)
{
    Skeleton &s = The_Skeleton();
    Per_Node(state, [&](int32_t f) { benchmark::DoNotOptimize(Anim_Apply(s.body, s.walk + f, s.run + (Frames - f), 100, 0)); });
}

void Anim_Spline(benchmark::State &state)
{
    Skeleton &s = The_Skeleton();
    Per_Node(state, [&](int32_t f) { benchmark::DoNotOptimize(Anim_Apply_Ext(s.body, s.spline + f, s.spline + f + 1, 100, 0)); });
}

#ifdef KALDER_HAVE_GLM
// The same keys as floats, sampled the usual way: a binary search by time, then slerp and mix, and
// the node's matrix from the quaternion.
struct Float_Track {
    std::vector<float> times;
    std::vector<glm::quat> rotations;
    std::vector<glm::vec3> positions;
};

std::vector<Float_Track> Float_Tracks(int variant)
{
    std::vector<Float_Track> out;
    for (const kalder_test::TrackSpec &t : Tracks(variant)) {
        Float_Track f;
        for (size_t k = 0; k < t.rotations.size(); k++) {
            const auto &q = t.rotations[k].second;
            const auto &p = t.positions[k].second;
            f.times.push_back(float(t.rotations[k].first));
            f.rotations.push_back(glm::quat(q[3] / 32768.0f, q[0] / 32768.0f, q[1] / 32768.0f, q[2] / 32768.0f));
            f.positions.push_back(glm::vec3(float(p[0]), float(p[1]), float(p[2])));
        }
        out.push_back(f);
    }
    return out;
}

struct Float_Pose {
    glm::mat3 m;
    glm::vec3 p;
};

// The segment of time t: hi and the fraction toward it.
size_t Segment(const Float_Track &t, float time, float *u)
{
    size_t hi = size_t(std::lower_bound(t.times.begin() + 1, t.times.end() - 1, time) - t.times.begin());
    *u = std::clamp((time - t.times[hi - 1]) / (t.times[hi] - t.times[hi - 1]), 0.0f, 1.0f);
    return hi;
}

void Sample(const Float_Track &t, float time, glm::quat *q, glm::vec3 *p)
{
    float u;
    size_t hi = Segment(t, time, &u);
    *q = glm::slerp(t.rotations[hi - 1], t.rotations[hi], u);
    *p = glm::mix(t.positions[hi - 1], t.positions[hi], u);
}

std::vector<Float_Pose> &Float_Poses()
{
    static std::vector<Float_Pose> poses(Nodes);
    return poses;
}

void Glm_Linear(benchmark::State &state)
{
    static const std::vector<Float_Track> walk = Float_Tracks(0);
    std::vector<Float_Pose> &poses = Float_Poses();
    Per_Node(state, [&](int32_t f) {
        const float time = float(f) + 100.0f / 256.0f;
        for (int n = 0; n < Nodes; n++) {
            glm::quat q;
            Sample(walk[size_t(n)], time, &q, &poses[size_t(n)].p);
            poses[size_t(n)].m = glm::mat3_cast(q);
        }
        benchmark::ClobberMemory();
    });
}

void Glm_Blend(benchmark::State &state)
{
    static const std::vector<Float_Track> walk = Float_Tracks(0), run = Float_Tracks(1);
    std::vector<Float_Pose> &poses = Float_Poses();
    Per_Node(state, [&](int32_t f) {
        for (int n = 0; n < Nodes; n++) {
            glm::quat qa, qb;
            glm::vec3 pa, pb;
            Sample(walk[size_t(n)], float(f), &qa, &pa);
            Sample(run[size_t(n)], float(Frames - f), &qb, &pb);
            poses[size_t(n)].m = glm::mat3_cast(glm::slerp(qa, qb, 100.0f / 256.0f));
            poses[size_t(n)].p = glm::mix(pa, pb, 100.0f / 256.0f);
        }
        benchmark::ClobberMemory();
    });
}

// Squad between the keys with the keys as their own controls, and a Hermite curve for positions.
void Glm_Spline(benchmark::State &state)
{
    static const std::vector<Float_Track> walk = Float_Tracks(0);
    std::vector<Float_Pose> &poses = Float_Poses();
    const glm::vec3 tangent(40.0f, -40.0f, 10.0f);
    Per_Node(state, [&](int32_t f) {
        const float time = float(f) + 100.0f / 256.0f;
        for (int n = 0; n < Nodes; n++) {
            const Float_Track &t = walk[size_t(n)];
            float u;
            size_t hi = Segment(t, time, &u);
            const glm::quat &q0 = t.rotations[hi - 1], &q1 = t.rotations[hi];
            poses[size_t(n)].m = glm::mat3_cast(glm::squad(q0, q1, q0, q1, u));
            poses[size_t(n)].p = glm::hermite(t.positions[hi - 1], tangent, t.positions[hi], tangent, u);
        }
        benchmark::ClobberMemory();
    });
}
#endif

// Nanoseconds per node from the items counted per second.
bool Pick_Ns_Per_Node(const benchmark::BenchmarkReporter::Run &r, double *value)
{
    auto items = r.counters.find("items_per_second");
    if (items == r.counters.end() || items->second <= 0) {
        return false;
    }
    *value = 1e9 / double(items->second);
    return true;
}

std::string Ns(const SummaryReporter &rep, const std::string &name)
{
    auto it = rep.figures.find(name);
    if (it == rep.figures.end()) {
        return "not available";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ns", it->second);
    return text;
}

} // namespace

BENCHMARK(Anim_Linear);
BENCHMARK(Anim_Blend);
BENCHMARK(Anim_Spline);
#ifdef KALDER_HAVE_GLM
BENCHMARK(Glm_Linear);
BENCHMARK(Glm_Blend);
BENCHMARK(Glm_Spline);
#endif

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter(Pick_Ns_Per_Node);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nAnimation summary (time per node; ratio of ours to GLM's float sampling of the same keys)\n");
    for (const char *kind : {"Linear", "Blend", "Spline"}) {
        const std::string ours = std::string("Anim_") + kind, peer = std::string("Glm_") + kind;
        std::printf("%-7s ours %s, GLM %s, ours/GLM %s\n", kind, Ns(reporter, ours).c_str(), Ns(reporter, peer).c_str(),
                    Ratio(reporter, ours, peer).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
