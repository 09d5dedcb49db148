// The span routines on their own: pixels per second of each family over one 640-pixel line, for short,
// middling and whole-line spans, with the fixture texture. The alpha types run beside the blends they
// replace: a per-channel multiply-and-shift loop and SDL's alpha-modulated blit of the same row (when
// SDL is built in); the table builders and the palette tint give their time per call.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

#include "bench/summary.h"
#include "engine3d/gfx_tint.h"

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
    uint32_t texel_alpha_surface = 0; // the same plane over 16-bit texels with an alpha gradient
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
        s[SURF_COLOUR + 1] = 16; // the -13 alpha
        s[SURF_LEVEL] = 16;      // the -12 alpha
        const Addr alpha_block = Mem_Alloc(kalder_test::kTextureBytes);
        kalder_test::FillRampTable(W_Ptr(alpha_block));
        const std::vector<uint8_t> map = kalder_test::HicolourTexels(kalder_test::AlphaGradientTexel);
        std::memcpy(W_Ptr(alpha_block) + kalder_test::kShadeTableBytes, map.data(), map.size());
        texel_alpha_surface = Mem_Alloc(112);
        std::memcpy(W_Ptr(texel_alpha_surface), s, 112);
        P_Set32(W_Ptr(texel_alpha_surface) + SURF_TEXTURE, int32_t(alpha_block + kalder_test::kShadeTableBytes));
        Build_Shade_Tables_565();
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
    const bool persp = type == 3 || type == 9 || type == -4 || type == -12 || type == -9;
    const uint32_t surface = type == -8 || type == -9 ? area.texel_alpha_surface : area.surface;
    Set_Plane(surface, persp);
    alignas(4) static uint16_t line[640];
    const Span_Routine routine = Span_Routines[type - Span_Type_First];
    for (auto _ : state) {
        for (int32_t x = 0; x + length <= 640; x += length) {
            routine(line + x, length, x, surface);
        }
        benchmark::DoNotOptimize(line);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (640 / length) * length);
    state.SetLabel("pixels");
}

const std::vector<int64_t> kAlphaLengths = {1, 2, 7, 16, 17, 33, 64, 320, 640};

// A staged source row and a destination row for the blends that stand beside the alpha spans.
struct Rows {
    std::vector<uint16_t> source = std::vector<uint16_t>(640), line = std::vector<uint16_t>(640);
    Rows()
    {
        for (size_t i = 0; i < 640; i++) {
            source[i] = uint16_t(i * 40503u);
            line[i] = uint16_t(i * 2654435761u >> 9);
        }
    }
};

template <class Blend> void Blend_Rows(benchmark::State &state, Blend blend)
{
    const int32_t length = int32_t(state.range(0));
    Rows rows;
    for (auto _ : state) {
        for (int32_t x = 0; x + length <= 640; x += length) {
            blend(rows.source.data() + x, rows.line.data() + x, length);
        }
        benchmark::DoNotOptimize(rows.line.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (640 / length) * length);
}

// The blend alone through the tables, at alpha 16, over a staged row.
void AlphaTables(benchmark::State &state)
{
    Build_Shade_Tables_565();
    Blend_Rows(state, [](const uint16_t *src, uint16_t *dst, int32_t n) {
        for (int32_t i = 0; i < n; i++) {
            dst[i] = Span_Alpha_Blend(src[i], dst[i], 16);
        }
    });
}

// What the tables replace: each channel multiplied by its factor and shifted.
void AlphaMulShift(benchmark::State &state)
{
    Blend_Rows(state, [](const uint16_t *src, uint16_t *dst, int32_t n) {
        const uint32_t k = 16, j = 32 - k;
        for (int32_t i = 0; i < n; i++) {
            const uint32_t s = src[i], d = dst[i];
            const uint32_t b = ((s & 31) * k >> 5) + ((d & 31) * j >> 5);
            const uint32_t g = (((s >> 5) & 63) * k >> 5) + (((d >> 5) & 63) * j >> 5);
            const uint32_t r = ((s >> 11) * k >> 5) + ((d >> 11) * j >> 5);
            dst[i] = uint16_t(r << 11 | g << 5 | b);
        }
    });
}

#ifdef KALDER_HAVE_SDL
// SDL's blit of the same row between RGB565 surfaces at alpha modulation 128. It rounds differently, so
// only the speeds are compared.
void AlphaSDL(benchmark::State &state)
{
    Rows rows;
    SDL_Surface *source = SDL_CreateRGBSurfaceWithFormatFrom(rows.source.data(), 640, 1, 16, 1280, SDL_PIXELFORMAT_RGB565);
    SDL_Surface *dest = SDL_CreateRGBSurfaceWithFormatFrom(rows.line.data(), 640, 1, 16, 1280, SDL_PIXELFORMAT_RGB565);
    if (source == nullptr || dest == nullptr) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(source, 128);
    const int32_t length = int32_t(state.range(0));
    for (auto _ : state) {
        for (int32_t x = 0; x + length <= 640; x += length) {
            SDL_Rect from{x, 0, length, 1}, to{x, 0, length, 1};
            SDL_BlitSurface(source, &from, dest, &to);
        }
        benchmark::DoNotOptimize(rows.line.data());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(dest);
    state.SetItemsProcessed(state.iterations() * (640 / length) * length);
}
#endif

void TintPalette(benchmark::State &state)
{
    GFX_BuildSaturateTable();
    const std::vector<uint8_t> palette = kalder_test::TintTestPalette();
    alignas(4) static uint8_t table[1025];
    int32_t offset = 0;
    for (auto _ : state) {
        GFX_TintPalette(offset, -offset, 3, palette.data(), table + 1);
        offset = (offset + 1) & 127;
        benchmark::DoNotOptimize(table);
    }
}

void BuildSaturateTable(benchmark::State &state)
{
    for (auto _ : state) {
        GFX_BuildSaturateTable();
        benchmark::DoNotOptimize(GFX_SaturateTable);
    }
}

void BuildShadeTables(benchmark::State &state)
{
    for (auto _ : state) {
        Build_Shade_Tables_565();
        benchmark::DoNotOptimize(SPAN_ScaleTables);
    }
}

bool Pick_Mpixels(const benchmark::BenchmarkReporter::Run &r, double *value)
{
    auto items = r.counters.find("items_per_second");
    if (items == r.counters.end()) {
        return false;
    }
    *value = double(items->second) / 1e6;
    return true;
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

BENCHMARK(Span)->ArgNames({"type", "length"})->ArgsProduct({{-13, -12, -8, -9}, kAlphaLengths});
BENCHMARK(AlphaTables)->ArgName("length")->ArgsProduct({kAlphaLengths});
BENCHMARK(AlphaMulShift)->ArgName("length")->ArgsProduct({kAlphaLengths});
#ifdef KALDER_HAVE_SDL
BENCHMARK(AlphaSDL)->ArgName("length")->ArgsProduct({kAlphaLengths});
#endif
BENCHMARK(TintPalette);
BENCHMARK(BuildSaturateTable);
BENCHMARK(BuildShadeTables);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter(Pick_Mpixels);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nAlpha spans, Mpixel/s at alpha 16 (ratios: the table blend or a span over the multiply-and-shift "
                "loop and over SDL's blit of the same row; above 1 is faster)\n");
    std::printf("%6s %8s %8s %8s %8s %8s %8s %8s | %-14s %-14s %-14s\n", "length", "-13", "-12", "-8", "-9", "tables",
                "mul+sh", "SDL", "tables/mul+sh", "-13/mul+sh", "-13/SDL");
    for (int64_t length : kAlphaLengths) {
        const std::string l = std::to_string(length);
        auto figure = [&](const std::string &name) {
            auto it = reporter.figures.find(name);
            return it == reporter.figures.end() ? 0.0 : it->second;
        };
        const std::string span = "Span/type:", at = "/length:" + l;
        std::printf("%6s %8.0f %8.0f %8.0f %8.0f %8.0f %8.0f %8.0f | %-14s %-14s %-14s\n", l.c_str(),
                    figure(span + "-13" + at), figure(span + "-12" + at), figure(span + "-8" + at),
                    figure(span + "-9" + at), figure("AlphaTables" + at), figure("AlphaMulShift" + at),
                    figure("AlphaSDL" + at), Ratio(reporter, "AlphaTables" + at, "AlphaMulShift" + at).c_str(),
                    Ratio(reporter, span + "-13" + at, "AlphaMulShift" + at).c_str(),
                    Ratio(reporter, span + "-13" + at, "AlphaSDL" + at).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
