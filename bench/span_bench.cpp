// The span routines on their own: pixels per second of each family over one 640-pixel line, for short,
// middling and whole-line spans, with the fixture texture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine3d/hmap.h"
#include "engine3d/raster.h"
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

// ---- Colour-keyed and depth-tested spans ----------------------------------------------------------

namespace {

// Three copies of the fixture texture with 0%, 50% and 100% of their texels made holes, scattered.
uint32_t Holed_Texture(int32_t percent)
{
    static uint32_t textures[3] = {0, 0, 0};
    uint32_t &t = textures[percent / 50];
    if (t == 0) {
        const Addr block = Mem_Alloc(kalder_test::kTextureBytes);
        kalder_test::FillRampTable(W_Ptr(block));
        kalder_test::FillCheckerTexels(W_Ptr(block));
        uint8_t *texels = W_Ptr(block) + kalder_test::kShadeTableBytes;
        for (uint32_t i = 0; i < 65536; i++) {
            if (((i * 2654435761u) >> 16) % 100 < uint32_t(percent)) {
                texels[i] = 0;
            }
        }
        t = block + kalder_test::kShadeTableBytes;
    }
    return t;
}

// The per-pixel test the grouping replaces: the affine walk with a branch on every texel.
void Per_Pixel_Key(uint16_t *dst, int32_t count, int32_t x_start, uint32_t surface)
{
    const uint8_t *s = W_Ptr(surface);
    const Span_Texture tex = Span_Get_Texture(s);
    const uint32_t row = s[SURF_SHADE];
    uint32_t u = uint32_t(P_Get32(s + SURF_U)), v = uint32_t(P_Get32(s + SURF_V));
    const uint32_t du = uint32_t(P_Get32(s + SURF_U_X)), dv = uint32_t(P_Get32(s + SURF_V_X));
    (void)x_start;
    for (int32_t i = 0; i < count; i++, u += du, v += dv) {
        const uint8_t t = tex.texels[(uint32_t(int32_t(v) >> 16) * 256 + uint32_t(int32_t(u) >> 16)) & 0xFFFF];
        if (t != 0) {
            dst[i] = Span_Shade(tex, row, t);
        }
    }
}

constexpr int32_t Per_Pixel = 100; // the benchmark's own loop, in place of a type

void Run_Line(benchmark::State &state, Span_Routine routine, int32_t length, uint32_t surface)
{
    alignas(4) static uint16_t line[640];
    int64_t pixels = 0;
    for (auto _ : state) {
        for (int32_t x = 0; x + length <= 640; x += length) {
            routine(line + x, length, x, surface);
        }
        pixels += 640 / length * length;
        benchmark::DoNotOptimize(line);
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] = benchmark::Counter(double(pixels) / 1e6, benchmark::Counter::kIsRate);
}

// Keyed -5 and -6 beside the plain 2 and 3 and the per-pixel loop, by length and share of holes.
void Keyed(benchmark::State &state)
{
    const int32_t type = int32_t(state.range(0));
    Area &area = The_Area();
    Set_Plane(area.surface, type == 3 || type == -6);
    P_Set32(W_Ptr(area.surface) + SURF_TEXTURE, int32_t(Holed_Texture(int32_t(state.range(2)))));
    const Span_Routine routine = type == Per_Pixel ? Per_Pixel_Key : Span_Routines[type - Span_Type_First];
    Run_Line(state, routine, int32_t(state.range(1)), area.surface);
    P_Set32(W_Ptr(area.surface) + SURF_TEXTURE, int32_t(Holed_Texture(0)));
}

// The depth-tested types against a whole-screen image that lets every pixel through, beside the
// untested type that draws the same pixels (flat, affine, keyed, 50% and keyed 50%).
void Depth(benchmark::State &state)
{
    static std::vector<uint8_t> image = [] {
        std::vector<uint8_t> bytes(HMAP_HEADER_BYTES + 2 * 640 * 480, 0);
        const int32_t header[3] = {640, 480, 9};
        std::memcpy(bytes.data(), header, sizeof header);
        return bytes;
    }();
    HMAP_SetCurrent(image.data());
    Current_Scanline = 100;
    Area &area = The_Area();
    Set_Plane(area.surface, false);
    const float depth = 3.0e6f, step = 10.0f;
    std::memcpy(W_Ptr(area.surface) + SURF_DEPTH, &depth, 4);
    std::memcpy(W_Ptr(area.surface) + SURF_DEPTH_X, &step, 4);
    P_Set32(W_Ptr(area.surface) + SURF_TEXTURE, int32_t(Holed_Texture(int32_t(state.range(2)))));
    Run_Line(state, Span_Routines[state.range(0) - Span_Type_First], int32_t(state.range(1)), area.surface);
    P_Set32(W_Ptr(area.surface) + SURF_TEXTURE, int32_t(Holed_Texture(0)));
    HMAP_SetCurrent(nullptr);
}

} // namespace

BENCHMARK(Keyed)
    ->ArgNames({"type", "length", "holes%"})
    ->ArgsProduct({{-5, 2, Per_Pixel, -6, 3}, {1, 2, 7, 16, 17, 33, 64, 320, 640}, {0, 50, 100}});
BENCHMARK(Depth)
    ->ArgNames({"type", "length", "holes%"})
    ->ArgsProduct({{17, 1, 18, 2, -11, -5, -10, -3, -15, -14}, {8, 64, 640}, {50}});
BENCHMARK_MAIN();
