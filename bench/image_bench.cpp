// Loading and cloning a large hierarchy image, beside a plain copy of the same bytes: the floor that
// "one read into place plus one pass over the offsets" approaches.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine3d/image.h"
#include "engine3d/matcache.h"
#include "engine3d/view.h"
#include "tests/support/image_builder.h"
#include "tests/support/mem_file_source.h"

namespace {

// A grid mesh of 20,000 textured faces in one object.
const std::vector<uint8_t> &Mesh_File()
{
    static const std::vector<uint8_t> bytes = [] {
        kalder_test::ObjectSpec o;
        o.name = "Grid";
        const int n = 100; // 101 x 101 vertices, 100 x 100 quads
        for (int z = 0; z <= n; z++) {
            for (int x = 0; x <= n; x++) {
                o.vertices.push_back({x * 64, 0, z * 64});
            }
        }
        for (int z = 0; z < n; z++) {
            for (int x = 0; x < n; x++) {
                int a = z * (n + 1) + x, b = a + 1, c = a + n + 1, d = c + 1;
                o.faces.push_back({a, c, b});
                o.faces.push_back({b, c, d});
            }
        }
        o.type = 2;
        o.material = "GRID";
        return kalder_test::HierarchyImage({o}, {{"GRID", "", 0}}).Finish().bytes;
    }();
    return bytes;
}

std::vector<uint8_t> Area(16 << 20);

void Start()
{
    Init_3D(Area.data(), Area.size());
    Cache_Count = 0;
    kalder_test::MemFiles_Clear();
    kalder_test::MemFiles_Add("GRID.3DC", Mesh_File());
    Set_File_Source(kalder_test::MemFileSource);
}

void BM_Load_Obj(benchmark::State &state)
{
    Start();
    const Addr start = Mem_libre, last = Last_Block;
    for (auto _ : state) {
        OBJ_Handle h = Load_Obj("GRID.3DC");
        benchmark::DoNotOptimize(h);
        state.PauseTiming();
        Delete_Obj(h);
        Mem_libre = start;
        Last_Block = last;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Mesh_File().size()));
}

void BM_Memcpy(benchmark::State &state)
{
    const std::vector<uint8_t> &file = Mesh_File();
    for (auto _ : state) {
        std::memcpy(Area.data() + 4096, file.data() + 8, file.size() - 8);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_Clone_Obj(benchmark::State &state)
{
    Start();
    OBJ_Handle h = Load_Obj("GRID.3DC");
    const Addr after = Mem_libre, last = Last_Block;
    for (auto _ : state) {
        OBJ_Handle c = Clone_Obj(h);
        benchmark::DoNotOptimize(c);
        state.PauseTiming();
        Delete_Obj(c);
        Mem_libre = after;
        Last_Block = last;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Mesh_File().size()));
}

} // namespace

BENCHMARK(BM_Load_Obj)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Clone_Obj)->Unit(benchmark::kMicrosecond);
