// The level load of the demo Project0 (its files in the page cache), and the model file source's
// throughput for one model image served from the scene stream, the container and the disk. Each
// serve includes opening its source, as each model load does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plat/test.h"
#include "tests/support/dan_writer.h"
#include "tests/support/demo_level.h"
#include "tests/support/dsn_writer.h"
#include "tests/support/image_builder.h"
#include "tests/support/level_start.h"
#include "tests/support/scene_builder.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/actor.h"
#include "world/dan.h"
#include "world/dsn.h"
#include "world/mdl.h"
#include "world/prj.h"
#include "world/prj_load.h"

namespace {

// The demo installation, started as far as a level load needs, once for the whole run.
struct Installation {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{640, 480};
    std::vector<uint8_t> model; // the served image file: a floor of 40 x 40 cells
    Installation()
    {
        model = kalder_test::HierarchyImage({kalder_test::MeshObject("FLOOR", -1, {0, 0, 0},
                                                                     kalder_test::GridMesh(-4000, 4000, -4000, 4000, 0, 40, 40),
                                                                     1, "F")},
                                            {{"F", "", 0x1234}})
                    .Finish()
                    .bytes;
        kalder_test::DsnWriter stream;
        stream.model = model;
        stream.collision = kalder_test::DemoSceneCollision();
        kalder_test::DanWriter container;
        container.model = model;
        if (!kalder_test::WriteDemoLevel(drives) || !stream.WriteTo(drives.Host('D') + "/DATA/3DC/big.dsn") ||
            !container.WriteTo(drives.Host('D') + "/DATA/3DC/big.dan")) {
            std::fprintf(stderr, "level_bench: cannot write the installation\n");
            std::exit(1);
        }
        drives.Write('D', "DATA/3DC/big.3dc", model);
        kalder_test::StartLevelCore();
    }
};

Installation &Demo()
{
    static Installation installation;
    return installation;
}

void BM_LoadProject0(benchmark::State &state)
{
    Demo();
    for (auto _ : state) {
        PRJ_PendingFlag = 1;
        PRJ_LoadPending();
        benchmark::DoNotOptimize(ACTOR_Slots[ACTOR_SCENE].node);
    }
    state.SetLabel("PRJ_LoadPending, 5 slots");
}
BENCHMARK(BM_LoadProject0)->Unit(benchmark::kMicrosecond);

enum Source { Stream, Container, Disk };

void BM_FileHook(benchmark::State &state)
{
    const Source source = Source(state.range(0));
    const size_t size = Demo().model.size();
    std::vector<uint8_t> out(size + (1 << 20));
    int32_t served = 0;
    for (auto _ : state) {
        if (source == Stream) {
            DSN_Open("D:\\DATA\\3DC\\BIG.DSN");
            MDL_LoadingScene = 1;
        } else if (source == Container) {
            DAN_Load3DC("D:\\DATA\\3DC\\BIG.DAN");
        }
        served = MDL_FileHook("data\\3dc\\big.3DC", out.data(), int32_t(out.size()));
        MDL_LoadingScene = 0;
        DSN_Reset();
        DAN_Release();
        benchmark::DoNotOptimize(served);
    }
    if (served <= 0) {
        state.SkipWithError("the source served nothing");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * served);
    static const char *names[] = {"scene stream", "container", "disk"};
    state.SetLabel(names[source]);
}
BENCHMARK(BM_FileHook)->Arg(Stream)->Arg(Container)->Arg(Disk);

} // namespace
