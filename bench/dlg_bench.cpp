// The dialogue player and window: DLG_ReadEntry of the demo's entry 0 (alternating with entry 1, so
// that every call reads) beside SDL's WAVE loader on the same voice image from memory; DLG_DrawWindow
// at 640 x 480 and 320 x 200 beside GFX_DarkenRows over the same rows and SDL's blit of a black surface
// at alpha 128 onto the same band; and one pass of the window's lines (restore, four lines, present).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/dsk.h"
#include "core/scr.h"
#include "engine3d/gfx_screen.h"
#include "interface/dlg.h"
#include "interface/menu.h"
#include "interface/txt.h"
#include "plat/test.h"
#include "tests/support/demo_level.h"
#include "tests/support/drd_writer.h"
#include "tests/support/hud_pictures.h"
#include "tests/support/screen_target.h"

#ifdef KALDER_HAVE_SDL
#include <SDL.h>
#endif

namespace {

// The demo's fonts and icons (for the lines), and the demo dialogue below a scratch installation.
kalder_test::DemoHud &Demo()
{
    static kalder_test::DemoHud *demo = [] {
        auto *hud = new kalder_test::DemoHud();
        hud->drives().Write('C', std::string("VORN/KALDER/") + kalder_test::kDialoguePath,
                            kalder_test::DemoDialogue().Bytes());
        std::strcpy(DSK_Location.install_folder, "C:\\VORN\\KALDER\\");
        if (DRD_Open("data\\3dc\\dialog.drd") == 0) {
            std::fprintf(stderr, "dlg_bench: the demo dialogue does not open\n");
            std::exit(1);
        }
        return hud;
    }();
    return *demo;
}

void BM_ReadEntry(benchmark::State &state)
{
    Demo();
    int32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DLG_ReadEntry(i));
        i ^= 1;
    }
}

// The band's rows of a screen: from 64 / vertical divisor, 132 / divisor - 1 of them.
int band_first(int height) { return 64 / (height < 400 ? 2 : 1); }
int band_rows(int height) { return 132 / (height < 400 ? 2 : 1) - 1; }

void BM_DrawWindow(benchmark::State &state, int width, int height)
{
    kalder_test::ScreenTarget screen(width, height);
    MENU_ComputeLayout();
    for (auto _ : state) {
        DLG_DrawWindow();
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
}

// The same rows halved by the text printer's band routine (16 rows a call, 9 on narrow screens).
void BM_DarkenRows(benchmark::State &state, int width, int height)
{
    kalder_test::ScreenTarget screen(width, height);
    const int step = width < 640 ? 9 : 16;
    for (auto _ : state) {
        for (int y = band_first(height); y < band_first(height) + band_rows(height); y += step) {
            GFX_DarkenRows(y);
        }
        benchmark::DoNotOptimize(screen.pixels());
        benchmark::ClobberMemory();
    }
}

// One pass of the window while it plays: the background back, four lines, the present.
void BM_WindowPass(benchmark::State &state)
{
    Demo();
    kalder_test::ScreenTarget screen(640, 480);
    test::SetFrameCapture(false);
    MENU_ComputeLayout();
    std::vector<uint16_t> background(640 * 480, 0x4A69);
    for (auto _ : state) {
        std::memcpy(SCR_FrameBuffer, background.data(), background.size() * 2);
        for (int i = 0; i < 4; i++) {
            TXT_PrintColour(150, 90 + 20 * i, 0, uint8_t(1 << i), "%s", kalder_test::kDemoDialogueLines[i]);
        }
        SCR_Flip();
        benchmark::ClobberMemory();
    }
    test::SetFrameCapture(true);
}

#ifdef KALDER_HAVE_SDL
void BM_LoadWavSDL(benchmark::State &state)
{
    const std::vector<uint8_t> voice = kalder_test::DemoDialogue().entries[0].voice;
    for (auto _ : state) {
        SDL_AudioSpec format;
        Uint8 *buffer = nullptr;
        Uint32 length = 0;
        SDL_RWops *rw = SDL_RWFromConstMem(voice.data(), int(voice.size()));
        if (SDL_LoadWAV_RW(rw, 1, &format, &buffer, &length) == nullptr) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        benchmark::DoNotOptimize(buffer);
        SDL_FreeWAV(buffer);
    }
}

void BM_DarkenSDL(benchmark::State &state, int width, int height)
{
    std::vector<uint16_t> pixels(size_t(width) * height, 0xFFFF);
    SDL_Surface *target =
        SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 16, width * 2, SDL_PIXELFORMAT_RGB565);
    SDL_Surface *black = SDL_CreateRGBSurfaceWithFormat(0, width, band_rows(height), 16, SDL_PIXELFORMAT_RGB565);
    if (target == nullptr || black == nullptr) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_FillRect(black, nullptr, 0);
    SDL_SetSurfaceBlendMode(black, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(black, 128);
    for (auto _ : state) {
        SDL_Rect at{0, band_first(height), width, band_rows(height)};
        SDL_BlitSurface(black, nullptr, target, &at);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(black);
    SDL_FreeSurface(target);
}
#endif

void Print(const SummaryReporter &reporter, const char *name, const char *peer, const char *what)
{
    auto it = reporter.figures.find(name);
    if (it == reporter.figures.end()) {
        return;
    }
    std::printf("%-28s %9.2f us %s", name, it->second * 1e6, what);
    if (peer != nullptr && reporter.figures.count(peer) != 0) {
        std::printf(" | ours/%s %s", peer, Ratio(reporter, name, peer).c_str());
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("BM_ReadEntry", BM_ReadEntry);
    benchmark::RegisterBenchmark("BM_DrawWindow/640x480", BM_DrawWindow, 640, 480);
    benchmark::RegisterBenchmark("BM_DrawWindow/320x200", BM_DrawWindow, 320, 200);
    benchmark::RegisterBenchmark("BM_DarkenRows/640x480", BM_DarkenRows, 640, 480);
    benchmark::RegisterBenchmark("BM_DarkenRows/320x200", BM_DarkenRows, 320, 200);
    benchmark::RegisterBenchmark("BM_WindowPass", BM_WindowPass);
#ifdef KALDER_HAVE_SDL
    benchmark::RegisterBenchmark("BM_LoadWavSDL", BM_LoadWavSDL);
    benchmark::RegisterBenchmark("BM_DarkenSDL/640x480", BM_DarkenSDL, 640, 480);
    benchmark::RegisterBenchmark("BM_DarkenSDL/320x200", BM_DarkenSDL, 320, 200);
#endif
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nDialogue summary (ratio = ours over the peer, above 1 is slower)\n");
    Print(reporter, "BM_ReadEntry", "BM_LoadWavSDL", "a read of an entry");
    Print(reporter, "BM_LoadWavSDL", nullptr, "a WAVE image parsed and copied");
    for (const char *size : {"640x480", "320x200"}) {
        const std::string ours = std::string("BM_DrawWindow/") + size;
        Print(reporter, ours.c_str(), (std::string("BM_DarkenRows/") + size).c_str(), "the band");
        Print(reporter, ours.c_str(), (std::string("BM_DarkenSDL/") + size).c_str(), "the band");
    }
    Print(reporter, "BM_WindowPass", nullptr, "a pass: restore, four lines, present");
    benchmark::Shutdown();
    return 0;
}
