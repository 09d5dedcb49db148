// The 3D library's fixed-point maths per call, the frame heap, and the start-up paid at every level load.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine3d/maths.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace {

constexpr size_t Game_Area = 7850000;

// Inputs that vary from call to call, so that nothing folds into a constant.
struct Inputs {
    int32_t m[64][9];
    int32_t v[64][3];
    int32_t q[64][4];
    Inputs()
    {
        Build_Trig_Tables();
        std::mt19937 rng(42);
        for (int i = 0; i < 64; i++) {
            Mat_Rotate(int32_t(rng() % 4096), int32_t(rng() % 4096), int32_t(rng() % 4096), m[i]);
            for (int k = 0; k < 3; k++) {
                v[i][k] = int32_t(rng() % 2000001) - 1000000;
            }
            int32_t axis[3] = {int32_t(rng() % 65536) - 32768, int32_t(rng() % 65536) - 32768, int32_t(rng() % 65536) - 32768};
            Vec_Normalise(axis, axis);
            int32_t half = int32_t(rng() % 2048);
            q[i][0] = int32_t((int64_t(axis[0]) * Get_Sin(half)) >> 15);
            q[i][1] = int32_t((int64_t(axis[1]) * Get_Sin(half)) >> 15);
            q[i][2] = int32_t((int64_t(axis[2]) * Get_Sin(half)) >> 15);
            q[i][3] = Get_Cos(half);
        }
    }
};

const Inputs &inputs()
{
    static const Inputs in;
    return in;
}

void BM_Mat_Mul(benchmark::State &state)
{
    const Inputs &in = inputs();
    int32_t out[9];
    unsigned i = 0;
    for (auto _ : state) {
        Mat_Mul(in.m[i & 63], in.m[(i + 1) & 63], out);
        benchmark::DoNotOptimize(out);
        i++;
    }
}
BENCHMARK(BM_Mat_Mul);

void BM_Mat_Vec_Mul(benchmark::State &state)
{
    const Inputs &in = inputs();
    int32_t out[3];
    unsigned i = 0;
    for (auto _ : state) {
        Mat_Vec_Mul(in.m[i & 63], in.v[(i + 7) & 63], out);
        benchmark::DoNotOptimize(out);
        i++;
    }
}
BENCHMARK(BM_Mat_Vec_Mul);

void BM_Mat_Rotate(benchmark::State &state)
{
    inputs();
    int32_t out[9];
    int32_t a = 0;
    for (auto _ : state) {
        Mat_Rotate(a, a * 3, a * 7, out);
        benchmark::DoNotOptimize(out);
        a = (a + 13) & 4095;
    }
}
BENCHMARK(BM_Mat_Rotate);

void BM_Quat_Slerp(benchmark::State &state)
{
    const Inputs &in = inputs();
    int32_t out[4];
    unsigned i = 0;
    for (auto _ : state) {
        Quat_Slerp(in.q[i & 63], in.q[(i + 1) & 63], int32_t(i & 255), out);
        benchmark::DoNotOptimize(out);
        i++;
    }
}
BENCHMARK(BM_Quat_Slerp);

void BM_Quat_To_Matrix(benchmark::State &state)
{
    const Inputs &in = inputs();
    int32_t out[9];
    unsigned i = 0;
    for (auto _ : state) {
        Quat_To_Matrix(in.q[i & 63], out);
        benchmark::DoNotOptimize(out);
        i++;
    }
}
BENCHMARK(BM_Quat_To_Matrix);

void BM_Vec_Normalise(benchmark::State &state)
{
    const Inputs &in = inputs();
    int32_t out[3];
    unsigned i = 0;
    for (auto _ : state) {
        Vec_Normalise(in.v[i & 63], out);
        benchmark::DoNotOptimize(out);
        i++;
    }
}
BENCHMARK(BM_Vec_Normalise);

// 1000 vertex-sized records a frame, then the heap starts afresh as the scene pass makes it.
void BM_Heap_Alloc(benchmark::State &state)
{
    std::vector<uint8_t> area(Game_Area);
    Init_3D(area.data(), area.size());
    for (auto _ : state) {
        Heap_Init(Mem_libre);
        for (int i = 0; i < 1000; i++) {
            benchmark::DoNotOptimize(Heap_Alloc(40));
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    Work_Area = nullptr;
    Work_Size = 0;
}
BENCHMARK(BM_Heap_Alloc);

void BM_Init_3D(benchmark::State &state)
{
    std::vector<uint8_t> area(Game_Area);
    for (auto _ : state) {
        Init_3D(area.data(), area.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Game_Area));
    Work_Area = nullptr;
    Work_Size = 0;
}
BENCHMARK(BM_Init_3D)->Unit(benchmark::kMicrosecond);

// The floor under Init_3D: clearing the same area and nothing else.
void BM_Memset_Area(benchmark::State &state)
{
    std::vector<uint8_t> area(Game_Area);
    for (auto _ : state) {
        std::memset(area.data(), 0, area.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Game_Area));
}
BENCHMARK(BM_Memset_Area)->Unit(benchmark::kMicrosecond);

} // namespace
