// The full-screen present (lock the back surface, copy the frame into it row by row, unlock, flip)
// on the headless display with its frame capture off, against memcpy of the same bytes and SDL's
// software blitter between two RGB565 surfaces of the same size and pitch.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/dsp.h"
#include "core/scr.h"
#include "core/win.h"
#include "tests/support/testcard.h"
#include "plat/test.h"

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

namespace {

struct Size {
    int width;
    int height;
};
const Size kSizes[] = {{640, 480}, {320, 200}};
const int kPads[] = {0, 64};

std::string Name(const char *what, const Size &size, int pad)
{
    return std::string(what) + "/" + std::to_string(size.width) + "x" + std::to_string(size.height) + "/pitch " +
           (pad == 0 ? "w*2" : "w*2+" + std::to_string(pad));
}

void Fail(const std::string &what)
{
    std::fprintf(stderr, "present_bench: %s\n", what.c_str());
    std::exit(1);
}

// The full-screen display at that size, its back surface rows pitch bytes apart, showing the bars.
void StartDisplay(const Size &size, int32_t pitch)
{
    DSP_Stop();
    test::Reset();
    test::SetFrameCapture(false);
    test::SetBackPitch(pitch);
    DSP_BackEnd = 0;
    if (!WIN_InitDisplay(nullptr, 1) || !DSP_SetMode(size.width, size.height)) {
        Fail("the headless display refused " + std::to_string(size.width) + "x" + std::to_string(size.height));
    }
    SCR_Width = uint32_t(size.width);
    SCR_Height = uint32_t(size.height);
    kalder_test::DrawBars(SCR_FrameBuffer, int(SCR_Width), int(SCR_Height), DSP_Rgb555 != 0);
}

void SetBytes(benchmark::State &state, const Size &size)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * size.width * size.height * 2);
}

void BM_Present(benchmark::State &state, Size size, int pad)
{
    StartDisplay(size, size.width * 2 + pad);
    const int flips = test::FlipCount();
    for (auto _ : state) {
        DSP_Present();
    }
    if (test::FlipCount() - flips != int(state.iterations())) {
        Fail("a present did not flip");
    }
    SetBytes(state, size);
}

// The copy alone: the frame's rows into a surface of the same pitch, one memcpy when rows touch.
void BM_PresentMemcpy(benchmark::State &state, Size size, int pad)
{
    const size_t row = size_t(size.width) * 2;
    const size_t pitch = row + size_t(pad);
    std::vector<uint16_t> frame(size_t(size.width) * size_t(size.height), 0x7BCF);
    std::vector<uint8_t> surface(pitch * size_t(size.height));
    for (auto _ : state) {
        if (pad == 0) {
            std::memcpy(surface.data(), frame.data(), row * size_t(size.height));
        } else {
            for (int y = 0; y < size.height; y++) {
                std::memcpy(surface.data() + size_t(y) * pitch, frame.data() + size_t(y) * size_t(size.width), row);
            }
        }
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state, size);
}

#ifdef KALDER_HAVE_SDL
void BM_PresentSDLBlit(benchmark::State &state, Size size, int pad)
{
    const int pitch = size.width * 2 + pad;
    std::vector<uint8_t> from(size_t(pitch) * size_t(size.height), 0x5A);
    std::vector<uint8_t> to(from.size());
    SDL_Surface *source = SDL_CreateRGBSurfaceWithFormatFrom(from.data(), size.width, size.height, 16, pitch,
                                                             SDL_PIXELFORMAT_RGB565);
    SDL_Surface *dest = SDL_CreateRGBSurfaceWithFormatFrom(to.data(), size.width, size.height, 16, pitch,
                                                           SDL_PIXELFORMAT_RGB565);
    if (source == nullptr || dest == nullptr) {
        Fail(std::string("SDL surface: ") + SDL_GetError());
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    for (auto _ : state) {
        SDL_BlitSurface(source, nullptr, dest, nullptr);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(source);
    SDL_FreeSurface(dest);
    SetBytes(state, size);
}
#endif

void Register()
{
    for (const Size &size : kSizes) {
        for (int pad : kPads) {
            benchmark::RegisterBenchmark(Name("BM_Present", size, pad).c_str(), BM_Present, size, pad);
            benchmark::RegisterBenchmark(Name("BM_PresentMemcpy", size, pad).c_str(), BM_PresentMemcpy, size, pad);
#ifdef KALDER_HAVE_SDL
            benchmark::RegisterBenchmark(Name("BM_PresentSDLBlit", size, pad).c_str(), BM_PresentSDLBlit, size,
                                         pad);
#endif
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Register();
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nPresent summary (time per frame: the present over each peer; above 1 is slower)\n");
    for (const Size &size : kSizes) {
        for (int pad : kPads) {
            const std::string present = Name("BM_Present", size, pad);
            auto it = reporter.figures.find(present);
            if (it == reporter.figures.end()) {
                continue;
            }
            std::printf("%-28s %8.1f us | present/memcpy %s | present/SDL blit %s\n", present.c_str() + 3,
                        it->second * 1e6, Ratio(reporter, present, Name("BM_PresentMemcpy", size, pad)).c_str(),
                        Ratio(reporter, present, Name("BM_PresentSDLBlit", size, pad)).c_str());
        }
    }
    DSP_Stop();
    benchmark::Shutdown();
    return 0;
}
