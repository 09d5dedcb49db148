// The real SDL present of a game frame (scale and convert to the output, present) through the game's
// display layer, under SDL's dummy video driver with its software renderer and the frame pacing off.
// The renderer's wait for the retrace is switched off too, so that the figures are the present's own
// work. The peer is the same present through SDL's own scaled copy (the path an accelerated renderer
// keeps).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "core/dsp.h"
#include "core/scr.h"
#include "core/win.h"
#include "bench/summary.h"
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

std::string case_name(const Case &c)
{
    return std::string(c.back_end == 1 ? "window/" : "fullscreen/") + std::to_string(c.width) + "x" +
           std::to_string(c.height) + (c.rgb555 ? "/555" : "/565");
}

// The renderer and output size of each case, as printed beside its figures.
std::map<std::string, std::string> labels;

void BM_SDLPresent(benchmark::State &state, Case c, bool own)
{
    DSP_Stop();
    SDLB_SetOwnScaling(own);
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
        labels[case_name(c)] = std::string(info.name) + " " + std::to_string(out_width) + "x" + std::to_string(out_height);
        state.SetLabel(labels[case_name(c)]);
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
        for (const bool own : {true, false}) {
            const std::string name = std::string("BM_SDLPresent/") + case_name(c) + (own ? "/ours" : "/sdl-scaled");
            benchmark::RegisterBenchmark(name.c_str(), BM_SDLPresent, c, own)->Unit(benchmark::kMicrosecond);
        }
    }
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    DSP_Stop();
    std::printf("\nms per present (median, spread); ratio = SDL's scaled copy / ours\n");
    std::printf("%-24s %-22s %8s %-24s %10s %8s\n", "case", "renderer, output", "ours", "spread", "sdl-scaled", "ratio");
    for (const Case &c : kCases) {
        const std::string ours = "BM_SDLPresent/" + case_name(c) + "/ours";
        const std::string peer = "BM_SDLPresent/" + case_name(c) + "/sdl-scaled";
        auto figure = [&](const std::string &name) {
            auto it = reporter.figures.find(name);
            char text[32] = "not available";
            if (it != reporter.figures.end()) {
                std::snprintf(text, sizeof text, "%.3f", it->second * 1e3);
            }
            return std::string(text);
        };
        std::printf("%-24s %-22s %8s %-24s %10s %8s\n", case_name(c).c_str(), labels[case_name(c)].c_str(),
                    figure(ours).c_str(), reporter.Spread(ours, 1e3).c_str(), figure(peer).c_str(),
                    Ratio(reporter, peer, ours).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
