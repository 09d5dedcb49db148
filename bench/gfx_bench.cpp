// The procedural textures, the tile magnifier, the darkened band and the debug drawing, beside their
// floors and peers: memcpy and memmove of 64 KB, a per-pixel darkening loop, SDL's colour-modulated
// blit of the same band (mod 128) and SDL's software renderer's lines on an RGB565 surface. SDL rounds
// differently, so only speeds are compared.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "engine3d/draw2d.h"
#include "engine3d/gfx_magnify.h"
#include "engine3d/gfx_screen.h"
#include "engine3d/proctex.h"
#include "engine3d/view.h"
#include "tests/support/gfx_pictures.h"
#include "tests/support/screen_target.h"

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kTexture = 256 * 256;
constexpr int kLines = 10000, kGlyphs = 2000;
constexpr int kBandRows = 16;

void Bytes(benchmark::State &state, int64_t per_iteration)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * per_iteration);
}

void BM_FlowStep(benchmark::State &state)
{
    std::vector<uint8_t> texture = kalder_test::FlowTestTexture();
    GFX_InitFlowTexture(texture.data());
    for (auto _ : state) {
        GFX_StepFlowTexture(texture.data());
        benchmark::ClobberMemory();
    }
    Bytes(state, kTexture);
}
BENCHMARK(BM_FlowStep);

void BM_Memcpy64K(benchmark::State &state)
{
    std::vector<uint8_t> from = kalder_test::FlowTestTexture(), to(kTexture);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kTexture);
        benchmark::ClobberMemory();
    }
    Bytes(state, kTexture);
}
BENCHMARK(BM_Memcpy64K);

void BM_ScrollTexture(benchmark::State &state)
{
    std::vector<uint8_t> texture = kalder_test::FlowTestTexture();
    for (auto _ : state) {
        GFX_ScrollTexture(texture.data());
        benchmark::ClobberMemory();
    }
    Bytes(state, kTexture);
}
BENCHMARK(BM_ScrollTexture);

void BM_Memmove64K(benchmark::State &state)
{
    std::vector<uint8_t> texture = kalder_test::FlowTestTexture();
    for (auto _ : state) {
        std::memmove(texture.data(), texture.data() + 512, kTexture - 512);
        benchmark::ClobberMemory();
    }
    Bytes(state, kTexture);
}
BENCHMARK(BM_Memmove64K);

void BM_FireStep(benchmark::State &state)
{
    uint32_t input = 0;
    for (auto _ : state) {
        GFX_UpdateFireTexture(GFX_FireMap, input++);
        benchmark::ClobberMemory();
    }
    Bytes(state, 84 * 64);
}
BENCHMARK(BM_FireStep);

void BM_Magnify(benchmark::State &state)
{
    const int rows = int(state.range(0)), columns = int(state.range(1));
    const std::vector<uint8_t> tile = kalder_test::MagnifierTile();
    std::vector<uint8_t> map(kTexture);
    for (auto _ : state) {
        GFX_MagnifyBlock(tile.data(), map.data(), rows, columns);
        benchmark::ClobberMemory();
    }
    Bytes(state, 1024 * rows * columns);
}
BENCHMARK(BM_Magnify)->ArgsProduct({{1, 2, 4, 8}, {1, 2, 4, 8}})->ArgNames({"rows", "columns"});

void BM_Darken(benchmark::State &state)
{
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    for (auto _ : state) {
        GFX_DarkenRows(200);
        benchmark::ClobberMemory();
    }
    Bytes(state, kWidth * kBandRows * 2);
}
BENCHMARK(BM_Darken);

// The plain way: one pixel at a time, each channel halved on its own.
void BM_DarkenLoop(benchmark::State &state)
{
    kalder_test::ScreenTarget screen(kWidth, kHeight);
    for (auto _ : state) {
        uint16_t *p = screen.pixels() + 200 * kWidth;
        for (int i = 0; i < kWidth * kBandRows; i++) {
            const uint16_t c = p[i];
            p[i] = uint16_t(((c >> 11) >> 1) << 11 | (((c >> 5) & 63) >> 1) << 5 | ((c & 31) >> 1));
        }
        benchmark::ClobberMemory();
    }
    Bytes(state, kWidth * kBandRows * 2);
}
BENCHMARK(BM_DarkenLoop);

// A spread of lines over the screen, some through its borders.
struct Segment {
    int32_t x0, y0, x1, y1;
};
std::vector<Segment> Segments()
{
    std::vector<Segment> s;
    uint32_t r = 12345;
    auto next = [&r](int range) {
        r = r * 1103515245u + 12345u;
        return int32_t((r >> 8) % uint32_t(range)) - range / 8;
    };
    for (int i = 0; i < kLines; i++) {
        s.push_back({next(kWidth * 5 / 4), next(kHeight * 5 / 4), next(kWidth * 5 / 4), next(kHeight * 5 / 4)});
    }
    return s;
}

// The library's screen at 640 x 480 for the debug drawing, put back afterwards.
struct DrawScreen {
    OBJ_ViewParams saved = OBJ_View;
    std::vector<uint16_t> frame = std::vector<uint16_t>(size_t(kWidth) * kHeight);
    DrawScreen() { Set_Screen_Size(kWidth, kHeight); }
    ~DrawScreen() { OBJ_View = saved; }
};

void BM_Lines(benchmark::State &state)
{
    DrawScreen screen;
    const std::vector<Segment> segments = Segments();
    for (auto _ : state) {
        for (const Segment &s : segments) {
            Draw_Line(screen.frame.data(), s.x0, s.y0, s.x1, s.y1, 0xFFFF);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Lines);

void BM_Text(benchmark::State &state)
{
    DrawScreen screen;
    const std::string line = "KALDER 0123456789 abcdefghijklmnopqrstuvwxyz!?";
    for (auto _ : state) {
        for (int i = 0; i < kGlyphs / 40; i++) {
            Draw_Text(screen.frame.data(), 8, 14, (i % 2) * 300, (i * 9) % 460, line.substr(0, 40).c_str(), 0xFFFF,
                      0, i & 1);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Text);

#ifdef KALDER_HAVE_SDL
void BM_DarkenSDL(benchmark::State &state)
{
    std::vector<uint16_t> band(size_t(kWidth) * kBandRows, 0x7BCF), frame(size_t(kWidth) * kHeight);
    SDL_Surface *source =
        SDL_CreateRGBSurfaceWithFormatFrom(band.data(), kWidth, kBandRows, 16, kWidth * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface *dest =
        SDL_CreateRGBSurfaceWithFormatFrom(frame.data(), kWidth, kHeight, 16, kWidth * 2, SDL_PIXELFORMAT_RGB565);
    if (source == nullptr || dest == nullptr) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_SetSurfaceColorMod(source, 128, 128, 128);
    for (auto _ : state) {
        SDL_Rect at{0, 200, kWidth, kBandRows};
        SDL_BlitSurface(source, nullptr, dest, &at);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(dest);
    Bytes(state, kWidth * kBandRows * 2);
}
BENCHMARK(BM_DarkenSDL);

void BM_LinesSDL(benchmark::State &state)
{
    SDL_Surface *surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Renderer *renderer = surface != nullptr ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (renderer == nullptr) {
        state.SkipWithError(SDL_GetError());
        SDL_FreeSurface(surface);
        return;
    }
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    const std::vector<Segment> segments = Segments();
    for (auto _ : state) {
        for (const Segment &s : segments) {
            SDL_RenderDrawLine(renderer, s.x0, s.y0, s.x1, s.y1);
        }
        benchmark::ClobberMemory();
    }
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
}
BENCHMARK(BM_LinesSDL);
#endif

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto figure = [&reporter](const std::string &name) {
        auto it = reporter.figures.find(name);
        return it == reporter.figures.end() ? 0.0 : it->second;
    };
    std::printf("\nTexture and drawing summary (ratio = our time over the peer's, above 1 is slower)\n");
    const struct {
        const char *ours, *peer;
        double bytes;
    } rows[] = {{"BM_FlowStep", "BM_Memcpy64K", kTexture},
                {"BM_ScrollTexture", "BM_Memmove64K", kTexture},
                {"BM_FireStep", "", 84 * 64},
                {"BM_Darken", "BM_DarkenLoop", kWidth * kBandRows * 2},
                {"BM_Darken", "BM_DarkenSDL", kWidth * kBandRows * 2}};
    for (const auto &row : rows) {
        const double seconds = figure(row.ours);
        if (seconds <= 0) {
            continue;
        }
        std::printf("%-18s %9.2f us, %8.1f MB/s | over %-14s %s\n", row.ours, seconds * 1e6, row.bytes / seconds / 1e6,
                    row.peer[0] ? row.peer : "-", row.peer[0] ? Ratio(reporter, row.ours, row.peer).c_str() : "no peer");
    }
    for (int r = 1; r <= 8; r *= 2) {
        for (int c = 1; c <= 8; c *= 2) {
            const std::string name = "BM_Magnify/rows:" + std::to_string(r) + "/columns:" + std::to_string(c);
            const double seconds = figure(name);
            if (seconds > 0) {
                std::printf("magnify %d x %d      %9.2f us a tile\n", r, c, seconds * 1e6);
            }
        }
    }
    const double lines = figure("BM_Lines"), text = figure("BM_Text");
    if (lines > 0) {
        std::printf("%d lines          %9.1f us, %6.1f ns a line | over SDL's renderer %s\n", kLines, lines * 1e6,
                    lines * 1e9 / kLines, Ratio(reporter, "BM_Lines", "BM_LinesSDL").c_str());
    }
    if (text > 0) {
        std::printf("%d glyphs          %9.1f us, %6.1f ns a glyph\n", kGlyphs, text * 1e6, text * 1e9 / kGlyphs);
    }
    benchmark::Shutdown();
    return 0;
}
