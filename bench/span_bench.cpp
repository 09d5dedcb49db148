// The span routines on their own: pixels per second of each family over one 640-pixel line, for short,
// middling and whole-line spans, with the fixture texture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine3d/span.h"
#include "engine3d/span_routines.h"
#include "engine3d/view.h"
#include "engine3d/workarea.h"
#include "tests/support/span_texture.h"

namespace {

struct Area {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(8u << 20);
    uint32_t surface = 0;
    Area()
    {
        Init_3D(bytes.data(), bytes.size());
        Set_Screen_Size(640, 480);
        Set_Viewport(640, 480, 0, 0, 640);
        const Addr block = Mem_Alloc(kalder_test::kTextureBytes);
        kalder_test::FillRampTable(W_Ptr(block));
        kalder_test::FillCheckerTexels(W_Ptr(block));
        surface = Mem_Alloc(112);
        uint8_t *s = W_Ptr(surface);
        P_Set32(s + SURF_TEXTURE, int32_t(block + kalder_test::kShadeTableBytes));
        s[SURF_SHADE] = 3;
        P_Set32(s + SURF_GOURAUD_SHADE, 0x20000);
        P_Set32(s + SURF_GOURAUD_SHADE_X, 0x800);
    }
};

Area &The_Area()
{
    static Area area;
    return area;
}

// Affine types read u, v and their steps as 16.16; perspective types the same words as floats.
void Set_Plane(uint32_t surface, bool persp)
{
    uint8_t *s = W_Ptr(surface);
    if (persp) {
        const float f[] = {1.0f, 0.0005f, 40.0f * 65536, 9.0f * 65536, 0.7f * 65536, 0.3f * 65536,
                           0.008f, 0.7f * 65536 * 16, 0.3f * 65536 * 16};
        const uint32_t at[] = {SURF_DEPTH, SURF_DEPTH_X, SURF_U, SURF_V, SURF_U_X, SURF_V_X,
                               SURF_DEPTH_16, SURF_U_16, SURF_V_16};
        for (int i = 0; i < 9; i++) {
            std::memcpy(s + at[i], &f[i], 4);
        }
    } else {
        P_Set32(s + SURF_U, 0x280000);
        P_Set32(s + SURF_V, 0x90000);
        P_Set32(s + SURF_U_X, 0xB333);
        P_Set32(s + SURF_V_X, 0x4CCC);
    }
}

void Span(benchmark::State &state)
{
    const int32_t type = int32_t(state.range(0));
    const int32_t length = int32_t(state.range(1));
    Area &area = The_Area();
    const bool persp = type == 3 || type == 9 || type == -4;
    Set_Plane(area.surface, persp);
    alignas(4) static uint16_t line[640];
    const Span_Routine routine = Span_Routines[type - Span_Type_First];
    for (auto _ : state) {
        for (int32_t x = 0; x + length <= 640; x += length) {
            routine(line + x, length, x, area.surface);
        }
        benchmark::DoNotOptimize(line);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (640 / length) * length);
    state.SetLabel("pixels");
}

} // namespace

BENCHMARK(Span)->ArgNames({"type", "length"})->ArgsProduct({{1, -2, 2, -3, 22, 3, 9, -4}, {8, 64, 640}});
BENCHMARK_MAIN();
