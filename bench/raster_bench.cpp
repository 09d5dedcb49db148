// The rasteriser without its span routines: primitive set-up and registration per triangle for each
// family, and the scan pass over a 640x480 viewport with a 20,000-triangle grid and spans that do
// nothing. No peer draws at this stage; the span routines bring theirs.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine3d/raster.h"
#include "engine3d/setup.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"

namespace {

constexpr int Cells_X = 100, Cells_Y = 100; // 20,000 triangles

std::vector<uint8_t> Area(16 << 20);

Addr Zero(uint32_t bytes)
{
    Addr a = Mem_Alloc(bytes);
    std::memset(W_Ptr(a), 0, bytes);
    return a;
}

// A grid of projected vertices over the viewport, depth rising to the right, as one object with one
// node of the given type; shared corners share their edges.
Addr Build_Grid(int32_t type)
{
    Init_3D(Area.data(), Area.size());
    Set_Screen_Size(640, 480);
    Set_Viewport(640, 480, 0, 0, 640);
    Addr texels = Zero(0x8000 + 65536) + 0x8000;
    Addr word = Zero(4);
    W_SetAddr(word, texels);

    Addr record = Zero(sizeof(OBJ_Record));
    Addr node = Zero(sizeof(OBJ_PrimNode));
    Addr edge_node = Zero(sizeof(OBJ_EdgeNode));
    W_SetAddr(record + Addr(offsetof(OBJ_Record, prims_a)), node);
    W_SetAddr(record + Addr(offsetof(OBJ_Record, prims_b)), edge_node);
    W_Set32(record + Addr(offsetof(OBJ_Record, light_count)), 1);
    W_Set32(node + Addr(offsetof(OBJ_PrimNode, type)), type);
    W_Set32(node + Addr(offsetof(OBJ_PrimNode, material)), Prim_Is_Textured(type) ? int32_t(word) : 0x1234);
    W_SetAddr(node + Addr(offsetof(OBJ_PrimNode, edge_node)), edge_node);
    W_Set32(edge_node + Addr(offsetof(OBJ_EdgeNode, type)), type);

    const int vx = Cells_X + 1, vy = Cells_Y + 1;
    std::vector<Addr> verts;
    for (int j = 0; j < vy; j++) {
        for (int i = 0; i < vx; i++) {
            Addr v = Zero(sizeof(OBJ_Vertex));
            W_Set32(v + Addr(offsetof(OBJ_Vertex, screen_x)), i * 639 / Cells_X);
            W_Set32(v + Addr(offsetof(OBJ_Vertex, screen_y)), 1 + j * 477 / Cells_Y);
            Rec_Set<float>(W_Ptr(v), offsetof(OBJ_Vertex, inverse_depth), 1000.0f + float(i));
            verts.push_back(v);
        }
    }
    const uint32_t edge_size = Prim_Edge_Size(type);
    Addr last_edge = 0;
    auto new_edge = [&](Addr a, Addr b) {
        Addr e = Zero(edge_size);
        EDGE_SET(W_Ptr(e), v0, a);
        EDGE_SET(W_Ptr(e), v1, b);
        if (last_edge == 0) {
            W_SetAddr(edge_node + Addr(offsetof(OBJ_EdgeNode, edge_list)), e);
        } else {
            EDGE_SET(W_Ptr(last_edge), next, e);
        }
        last_edge = e;
        return e;
    };
    // Edges: right along each row, down along each column, and one diagonal per cell.
    std::vector<Addr> across(size_t(vx * vy)), down(size_t(vx * vy)), diagonal(size_t(vx * vy));
    for (int j = 0; j < vy; j++) {
        for (int i = 0; i < vx; i++) {
            size_t k = size_t(j * vx + i);
            if (i + 1 < vx) {
                across[k] = new_edge(verts[k], verts[k + 1]);
            }
            if (j + 1 < vy) {
                down[k] = new_edge(verts[k], verts[k + size_t(vx)]);
            }
            if (i + 1 < vx && j + 1 < vy) {
                diagonal[k] = new_edge(verts[k + 1], verts[k + size_t(vx)]);
            }
        }
    }
    Addr item = Zero(8);
    Addr last_face = 0;
    auto face = [&](Addr v0, Addr e0, Addr v1, Addr e1, Addr v2, Addr e2) {
        Addr f = Zero(sizeof(OBJ_Face));
        const Addr words[9] = {v0, 0, e0, v1, 0, e1, v2, 0, e2};
        for (int w = 0; w < 9; w++) {
            W_SetAddr(f + Addr(offsetof(OBJ_Face, v0)) + Addr(w) * 4, words[w]);
        }
        for (int c = 0; c < 3; c++) {
            W_SetAddr(f + Addr(offsetof(OBJ_Face, uv)) + Addr(c) * 4, item);
        }
        if (last_face == 0) {
            W_SetAddr(node + Addr(offsetof(OBJ_PrimNode, face_chain)), f);
        } else {
            W_SetAddr(last_face + Addr(offsetof(OBJ_Face, next)), f);
        }
        last_face = f;
    };
    for (int j = 0; j < Cells_Y; j++) {
        for (int i = 0; i < Cells_X; i++) {
            size_t a = size_t(j * vx + i), b = a + 1, c = a + size_t(vx), d = c + 1;
            // Both wound so that the screen area is negative: a, c, b and b, c, d.
            face(verts[a], down[a], verts[c], diagonal[a], verts[b], across[a]);
            face(verts[b], diagonal[a], verts[c], across[c], verts[d], down[b]);
        }
    }
    return record;
}

void BM_Setup(benchmark::State &state)
{
    const int32_t type = int32_t(state.range(0));
    Addr record = Build_Grid(type);
    for (auto _ : state) {
        Heap_Init(Mem_libre);
        Build_Prims(record);
        Build_Prims_B(record);
        state.PauseTiming();
        Clear_Edge_Buckets();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Cells_X * Cells_Y * 2);
    state.SetLabel("per triangle: set-up and registration");
}
// One type per family: flat, affine, alpha affine, perspective, flat from texture, Gouraud,
// perspective Gouraud.
BENCHMARK(BM_Setup)->Arg(1)->Arg(2)->Arg(-13)->Arg(3)->Arg(28)->Arg(30)->Arg(23)->Unit(benchmark::kMicrosecond);

void BM_Scan_Pass(benchmark::State &state)
{
    const int32_t type = int32_t(state.range(0));
    Addr record = Build_Grid(type);
    std::vector<uint16_t> frame(640 * 480);
    for (auto _ : state) {
        state.PauseTiming();
        Heap_Init(Mem_libre);
        Build_Prims(record);
        Build_Prims_B(record);
        state.ResumeTiming();
        Scan_Pass(frame.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("frames: 480 rows, 20,000 triangles, no-op spans");
}
BENCHMARK(BM_Scan_Pass)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
