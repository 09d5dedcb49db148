// The real SDL present of a game frame (upload to a texture, scale to the output, present) through
// the game's display layer, under SDL's dummy video driver with its software renderer and the
// frame pacing off. The renderer's wait for the retrace is switched off too,
// so that the figures are the present's own work. Informative: it has no peer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/dsp.h"
#include "core/scr.h"
#include "core/win.h"
#include "tests/support/testcard.h"
#include "plat/display.h"
#include "platform/sdl/internal.h"

#include <SDL.h>

namespace {

struct Case {
    int32_t back_end; // 1 window, 0 full screen
    int width;
    int height;
    bool rgb555;
};

// The window's bitmap is always RGB565; only the full-screen display offers RGB555.
const Case kCases[] = {
    {1, 640, 480, false}, {1, 320, 200, false}, {0, 640, 480, false},
    {0, 640, 480, true},  {0, 320, 200, false}, {0, 320, 200, true},
};

void BM_SDLPresent(benchmark::State &state, Case c)
{
    DSP_Stop();
    if (c.rgb555) {
        setenv("KALDER_RGB555", "1", 1);
    } else {
        unsetenv("KALDER_RGB555");
    }
    DSP_BackEnd = c.back_end;
    if (!WIN_InitDisplay(nullptr, 1) || !DSP_SetMode(c.width, c.height) || DSP_Rgb555 != int32_t(c.rgb555)) {
        state.SkipWithError("the SDL display refused the mode");
        return;
    }
    PLAT_SetPresentPacing(0);
    SCR_Width = uint32_t(c.width);
    SCR_Height = uint32_t(c.height);
    kalder_test::DrawBars(SCR_FrameBuffer, int(SCR_Width), int(SCR_Height), DSP_Rgb555 != 0);
    // The renderer that does the work and the size it scales to, beside each figure.
    SDL_RendererInfo info{};
    int out_width = 0, out_height = 0;
    if (SDLB_Renderer() != nullptr && SDL_GetRendererInfo(SDLB_Renderer(), &info) == 0 &&
        SDL_GetRendererOutputSize(SDLB_Renderer(), &out_width, &out_height) == 0) {
        state.SetLabel(std::string(info.name) + " " + std::to_string(out_width) + "x" + std::to_string(out_height));
    }
    for (auto _ : state) {
        DSP_Present();
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

int main(int argc, char **argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_RENDER_VSYNC", "0", 1);
    benchmark::Initialize(&argc, argv);
    for (const Case &c : kCases) {
        const std::string name = std::string("BM_SDLPresent/") + (c.back_end == 1 ? "window/" : "fullscreen/") +
                                 std::to_string(c.width) + "x" + std::to_string(c.height) +
                                 (c.rgb555 ? "/555" : "/565");
        benchmark::RegisterBenchmark(name.c_str(), BM_SDLPresent, c)->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    DSP_Stop();
    benchmark::Shutdown();
    return 0;
}
