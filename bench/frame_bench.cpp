// The whole game frame, composed (the 3D render, the bars, the message) and presented, on each benchmark
// scene: ms per frame, the shares of render, the rest of the composition and the present, and the
// multiple of a memset of the frame measured in the same run. Built twice: frame_bench on the headless
// display (capture off), frame_sdl_bench on SDL's dummy video driver, window and full screen. The
// demo level's frame is the frame handler's whole round: present, control mapping, tick and HUD.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/dsp.h"
#include "core/game_frame.h"
#include "core/scr.h"
#include "core/win.h"
#include "engine3d/render.h"
#include "tests/support/demo_level.h"
#include "tests/support/level_start.h"
#include "tests/support/scenes.h"
#include "plat/files.h"
#include "world/game.h"
#ifdef KALDER_FRAME_SDL
#include "plat/display.h"
#else
#include "plat/test.h"
#endif

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Display {
    const char *name;
    int32_t back_end; // 1 window, 0 full screen
};
#ifdef KALDER_FRAME_SDL
const Display kDisplays[] = {{"sdl-window", 1}, {"sdl-fullscreen", 0}};
#else
const Display kDisplays[] = {{"headless", 0}};
#endif

// What one case times of the frame.
enum class Part { Whole, Render, Compose, Present };
const char *const kPartNames[] = {"whole", "render", "compose", "present"};

bool StartDisplay(const Display &d)
{
    DSP_Stop();
#ifndef KALDER_FRAME_SDL
    test::Reset();
    test::SetFrameCapture(false);
#endif
    DSP_BackEnd = d.back_end;
    if (!WIN_InitDisplay(nullptr, 1) || !DSP_SetMode(kWidth, kHeight)) {
        return false;
    }
#ifdef KALDER_FRAME_SDL
    PLAT_SetPresentPacing(0);
#endif
    SCR_Width = kWidth;
    SCR_Height = kHeight;
    return true;
}

void BM_Frame(benchmark::State &state, const std::string &scene, Display display, Part part)
{
    if (!StartDisplay(display)) {
        state.SkipWithError("the display refused 640x480");
        return;
    }
    kalder_test::SceneArea area(size_t(32) << 20);
    if (kalder_test::LoadScene(area, scene) < 0) {
        state.SkipWithError("the scene does not load");
        return;
    }
    SCR_ComposeFrame(); // the first frame builds the frame's tables
    for (auto _ : state) {
        switch (part) {
        case Part::Whole:
            SCR_ComposeFrame();
            SCR_Flip();
            break;
        case Part::Render:
            Render_Frame(SCR_FrameBuffer);
            break;
        case Part::Compose:
            SCR_ComposeFrame();
            break;
        case Part::Present:
            SCR_Flip();
            break;
        }
        benchmark::ClobberMemory();
    }
    kalder_test::ClearSceneBackdrop();
}

// The demo installation's Project0, started as far as a level needs, loaded by its first ticks and
// its scene stream read to the end; stopped again when the case ends, so that the scenes' own areas
// find the engine free.
struct DemoLevel {
    std::string folder;
    bool ready = false;

    DemoLevel()
    {
        char path[] = "/tmp/kalder-frame-XXXXXX";
        if (mkdtemp(path) == nullptr) {
            return;
        }
        folder = path;
        // The installation under <folder>/drives, mapped as the programs map it (both displays' platforms).
        if (!kalder_test::WriteDemoInstallation(folder) || PLAT_LoadDriveMap(nullptr, folder.c_str()) < 2) {
            return;
        }
        kalder_test::StartDemoLevel();
        ready = true;
    }
    ~DemoLevel()
    {
        if (ready) {
            kalder_test::StopLevelCore();
        }
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
};

const char kLevelName[] = "demo-level";

// The level's parts: the whole frame handler's round; the render of its 3D view alone; the tick,
// which composes the frame; the present alone.
void BM_LevelFrame(benchmark::State &state, Display display, Part part)
{
    if (!StartDisplay(display)) {
        state.SkipWithError("the display refused 640x480");
        return;
    }
    DemoLevel level;
    if (!level.ready) {
        state.SkipWithError("the demo installation cannot be written");
        return;
    }
    for (auto _ : state) {
        switch (part) {
        case Part::Whole:
            GAME_FrameHandler();
            break;
        case Part::Render:
            Render_Frame(SCR_FrameBuffer);
            break;
        case Part::Compose:
            GAME_Tick(0);
            break;
        case Part::Present:
            SCR_Flip();
            break;
        }
        benchmark::ClobberMemory();
    }
}

std::string Name(const std::string &scene, const Display &d, Part part)
{
    return "BM_Frame/" + scene + "/" + d.name + "/" + kPartNames[int(part)];
}

} // namespace

int main(int argc, char **argv)
{
#ifdef KALDER_FRAME_SDL
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_RENDER_VSYNC", "0", 1);
#endif
    benchmark::Initialize(&argc, argv);
    const int repetitions = 5;
    benchmark::RegisterBenchmark("BM_MemsetFrame", BM_MemsetFrame)->Repetitions(repetitions);
    for (const std::string &scene : kalder_test::BenchSceneNames()) {
        for (const Display &d : kDisplays) {
            for (Part part : {Part::Whole, Part::Render, Part::Compose, Part::Present}) {
                benchmark::RegisterBenchmark(Name(scene, d, part).c_str(), BM_Frame, scene, d, part)
                    ->Unit(benchmark::kMillisecond)
                    ->Repetitions(repetitions);
            }
        }
    }
    for (const Display &d : kDisplays) {
        for (Part part : {Part::Whole, Part::Render, Part::Compose, Part::Present}) {
            benchmark::RegisterBenchmark(Name(kLevelName, d, part).c_str(), BM_LevelFrame, d, part)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(repetitions);
        }
    }
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    DSP_Stop();

    auto ms = [&](const std::string &name) {
        auto it = reporter.figures.find(name);
        return it == reporter.figures.end() ? -1.0 : it->second * 1e3;
    };
    const double floor = ms("BM_MemsetFrame");
    std::printf("\nWhole frames at 640x480 (medians of %d repetitions, min-max beside them); memset of the frame "
                "%.4f ms (%s)\n",
                repetitions, floor, reporter.Spread("BM_MemsetFrame", 1e3, "%.4f").c_str());
    std::printf("%-16s %-15s %9s %-24s %8s %8s %8s %9s\n", "scene", "display", "ms/frame", "(spread)", "render",
                "compose", "present", "x memset");
    std::vector<std::string> rows = kalder_test::BenchSceneNames();
    rows.push_back(kLevelName);
    for (const std::string &scene : rows) {
        for (const Display &d : kDisplays) {
            const std::string whole = Name(scene, d, Part::Whole);
            const double total = ms(whole);
            if (total <= 0) {
                continue;
            }
            const double render = ms(Name(scene, d, Part::Render));
            const double compose = ms(Name(scene, d, Part::Compose));
            const double present = ms(Name(scene, d, Part::Present));
            char spread[64];
            std::snprintf(spread, sizeof spread, "(%s)", reporter.Spread(whole, 1e3).c_str());
            // The composition's share is what it adds to the render.
            std::printf("%-16s %-15s %9.3f %-24s %7.0f%% %7.0f%% %7.0f%% %9.0f\n", scene.c_str(), d.name, total,
                        spread, 100 * render / total,
                        100 * (compose - render) / total, 100 * present / total, floor > 0 ? total / floor : 0.0);
        }
    }
    benchmark::Shutdown();
    return 0;
}
