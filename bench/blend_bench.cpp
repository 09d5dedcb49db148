// The screen copy behind the in-game menu: the darkening blend, two pixels a word, against a plain
// per-pixel loop of the same channel formula and SDL's software blit with colour modulation, and the
// save and restore against memcpy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/dsp.h"
#include "core/mem.h"
#include "core/scr.h"
#include "core/sys.h"

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

namespace {

struct Screen {
    std::vector<uint16_t> frame;
    Screen(uint32_t width, uint32_t height) : frame(size_t(width) * height, 0x7BCF)
    {
        SCR_Width = width;
        SCR_Height = height;
        SCR_FrameBuffer = frame.data();
        SCR_ShownFrame = frame.data();
        if (MEM_Arena == nullptr) {
            MEM_Arena = MEM_CreateStack(0x172000);
        }
        MEM_ResetStack(MEM_Arena);
        MEM_StackAlloc(MEM_Arena, 1); // the copy at an odd address, as the arena may give it
        SCR_AllocCopy();
        SCR_SaveScreen();
    }
};

void BM_Blend(benchmark::State &state)
{
    DSP_Rgb555 = int32_t(state.range(1));
    Screen screen(640, 480);
    for (auto _ : state) {
        SCR_BlendScreen(int32_t(state.range(0)));
        benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Blend)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->ArgNames({"mode", "rgb555"});

// The same result one pixel and one channel at a time.
void BM_BlendReference(benchmark::State &state)
{
    Screen screen(640, 480);
    const int mode = int(state.range(0));
    for (auto _ : state) {
        for (size_t i = 0; i < screen.frame.size(); i++) {
            uint16_t p;
            std::memcpy(&p, SCR_CopyBuffer + i * 2, 2);
            uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
            switch (mode) {
            case 0: r &= ~1u, g &= ~1u, b &= ~1u; break;
            case 1: r >>= 1, g >>= 1, b >>= 1; break;
            case 2: r = (r >> 1) & ~1u, g = (g >> 1) & ~1u, b = (b >> 1) & ~1u; break;
            default: r >>= 2, g >>= 2, b >>= 2; break;
            }
            SCR_FrameBuffer[i] = uint16_t(r << 11 | g << 5 | b);
        }
        benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BlendReference)->DenseRange(0, 3)->ArgName("mode");

void BM_SaveRestore(benchmark::State &state)
{
    Screen screen(640, 480);
    for (auto _ : state) {
        SCR_SaveScreen();
        SCR_RestoreScreen();
        benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
    }
}
BENCHMARK(BM_SaveRestore);

void BM_SaveRestoreMemcpy(benchmark::State &state)
{
    Screen screen(640, 480);
    std::vector<uint16_t> copy(screen.frame.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), screen.frame.data(), copy.size() * 2);
        std::memcpy(screen.frame.data(), copy.data(), copy.size() * 2);
        benchmark::DoNotOptimize(screen.frame[0]);
    }
}
BENCHMARK(BM_SaveRestoreMemcpy);

// The floor of the blend: one memcpy of the frame, the same pixels read and written once.
void BM_FrameMemcpy(benchmark::State &state)
{
    std::vector<uint16_t> from(640 * 480, 0x7BCF);
    std::vector<uint16_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 2);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameMemcpy);

#ifdef KALDER_HAVE_SDL
// SDL's nearest peer: an RGB565 to RGB565 blit that multiplies each channel by mod/255 (128 about
// halves, as mode 1 does; 64 about quarters, as mode 3 does). It rounds differently, so only the
// speeds are compared.
void BM_BlendSDL(benchmark::State &state)
{
    const int mod = int(state.range(0));
    std::vector<uint16_t> from(640 * 480, 0x7BCF);
    std::vector<uint16_t> to(from.size());
    SDL_Surface *source =
        SDL_CreateRGBSurfaceWithFormatFrom(from.data(), 640, 480, 16, 640 * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface *dest = SDL_CreateRGBSurfaceWithFormatFrom(to.data(), 640, 480, 16, 640 * 2, SDL_PIXELFORMAT_RGB565);
    if (source == nullptr || dest == nullptr) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_SetSurfaceColorMod(source, Uint8(mod), Uint8(mod), Uint8(mod));
    for (auto _ : state) {
        SDL_BlitSurface(source, nullptr, dest, nullptr);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(dest);
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BlendSDL)->Arg(128)->Arg(64)->ArgName("mod");
#endif

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // Pixel rate where a run counts pixels, else runs per second.
    SummaryReporter reporter([](const benchmark::BenchmarkReporter::Run &r, double *value) {
        auto pixels = r.counters.find("Mpixel/s");
        if (pixels != r.counters.end()) {
            *value = double(pixels->second);
            return true;
        }
        if (r.real_accumulated_time <= 0) {
            return false;
        }
        *value = double(r.iterations) / r.real_accumulated_time;
        return true;
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nBlend summary (speed of SCR_BlendScreen over each peer; above 1 is faster)\n");
    const char *sdl_peer[4] = {nullptr, "BM_BlendSDL/mod:128", nullptr, "BM_BlendSDL/mod:64"};
    for (int mode = 0; mode < 4; mode++) {
        for (int rgb555 = 0; rgb555 < 2; rgb555++) {
            const std::string name =
                "BM_Blend/mode:" + std::to_string(mode) + "/rgb555:" + std::to_string(rgb555);
            auto it = reporter.figures.find(name);
            if (it == reporter.figures.end()) {
                continue;
            }
            std::printf("mode %d %s %8.0f Mpixel/s | blend/per-pixel loop %s | blend/SDL colour-mod blit %s | "
                        "blend/memcpy %s\n",
                        mode, rgb555 ? "555" : "565", it->second,
                        Ratio(reporter, name, "BM_BlendReference/mode:" + std::to_string(mode)).c_str(),
                        sdl_peer[mode] != nullptr ? Ratio(reporter, name, sdl_peer[mode]).c_str() : "no peer",
                        Ratio(reporter, name, "BM_FrameMemcpy").c_str());
        }
    }
    std::printf("save+restore/memcpy pair %s\n", Ratio(reporter, "BM_SaveRestore", "BM_SaveRestoreMemcpy").c_str());
    benchmark::Shutdown();
    return 0;
}
