// The game tick on the demo level: µs per GAME_Tick of Project0 with its frame composed, the same
// with the render's scan pass (the rasteriser) replaced by nothing, which leaves the tick's own cost
// and the render's geometry, and a whole project switch: the fade's last tick and the load tick.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/opt.h"
#include "core/scr.h"
#include "engine3d/render.h"
#include "tests/support/demo_level.h"
#include "tests/support/level_start.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/game.h"
#include "world/prj.h"

namespace {

// The demo installation, started as far as a level needs, with Project0 loaded and its scene stream
// read to the end.
struct DemoLevel {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{640, 480};

    DemoLevel()
    {
        if (!kalder_test::WriteDemoInstallation(drives)) {
            std::fprintf(stderr, "game_bench: cannot write the demo installation\n");
            std::exit(1);
        }
        kalder_test::StartDemoLevel();
    }
};

DemoLevel &Level()
{
    static DemoLevel level;
    return level;
}

void BM_Tick(benchmark::State &state)
{
    Level();
    for (auto _ : state) {
        GAME_Tick(0);
    }
    benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
}
BENCHMARK(BM_Tick)->Name("tick/composed")->Unit(benchmark::kMicrosecond);

void BM_TickWithoutScan(benchmark::State &state)
{
    Level();
    const Scan_Routine scan = Render_Settings.scan_pass;
    Render_Settings.scan_pass = [](uint16_t *) {};
    for (auto _ : state) {
        GAME_Tick(0);
    }
    Render_Settings.scan_pass = scan;
}
BENCHMARK(BM_TickWithoutScan)->Name("tick/no-scan")->Unit(benchmark::kMicrosecond);

// One switch a round, between Project0 and Project1: the tick that ends the fade and makes the next
// project current, then the tick that loads it.
void BM_ProjectSwitch(benchmark::State &state)
{
    Level();
    int n = 0;
    for (auto _ : state) {
        char name[32];
        std::snprintf(name, sizeof name, "Project%d", ++n % 2);
        PRJ_Next = PRJ_SwitchTo(name, sizeof name);
        GAME_FadeTimer = 0.001f;
        GAME_Tick(0);
        GAME_Tick(0);
    }
    if (PRJ_PendingFlag != 0) {
        state.SkipWithError("the project did not load");
    }
}
BENCHMARK(BM_ProjectSwitch)->Name("switch/fade-end+load")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
