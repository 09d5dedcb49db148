// Save games on the demo installation: µs per SAVE_WriteGame (the file built, written into its
// temporary file, synced and renamed over the old one) and per SAVE_ReadGame's read and checks (the
// project switch left out), beside the same 11,388 bytes written with plain open/write/close and with
// write, fsync and rename, so that the cost of a safe save shows; and SAVE_WriteThumbnail on Project0.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/dsk.h"
#include "core/file.h"
#include "tests/support/demo_level.h"
#include "tests/support/install_writer.h"
#include "tests/support/level_start.h"
#include "tests/support/save_writer.h"
#include "tests/support/screen_target.h"
#include "tests/support/temp_drives.h"
#include "world/save.h"

namespace {

struct DemoSaves {
    kalder_test::TempDrives drives{"CD"};
    kalder_test::ScreenTarget screen{640, 480};
    std::string folder;

    DemoSaves()
    {
        if (!kalder_test::WriteDemoInstallation(drives)) {
            std::fprintf(stderr, "save_bench: cannot write the demo installation\n");
            std::exit(1);
        }
        kalder_test::StartDemoLevel();
        folder = (std::filesystem::path(kalder_test::InstallHost(drives.Host('C'))) / "DATA" / "GAME").string();
        SAVE_ReadSlots();
    }
};

DemoSaves &Saves()
{
    static DemoSaves saves;
    return saves;
}

void BM_WriteGame(benchmark::State &state)
{
    Saves();
    for (auto _ : state) {
        if (SAVE_WriteGame("Demo items") != 0) {
            state.SkipWithError("the save failed");
            break;
        }
    }
}
BENCHMARK(BM_WriteGame)->Name("save/write-game")->Unit(benchmark::kMicrosecond);

void BM_ReadGameChecks(benchmark::State &state)
{
    Saves();
    char path[260];
    std::snprintf(path, sizeof path, "%sdata\\game\\game0.dat", DSK_InstallPath());
    for (auto _ : state) {
        std::vector<uint8_t> read(SAVE_GAME_BYTES);
        const int32_t handle = FILE_TryOpen(path, O_RDONLY);
        const int32_t n = FILE_TryRead(handle, read.data(), uint32_t(read.size()));
        FILE_TryClose(handle);
        benchmark::DoNotOptimize(SAVE_GameFault(read.data(), size_t(n)));
    }
}
BENCHMARK(BM_ReadGameChecks)->Name("save/read-game-and-checks")->Unit(benchmark::kMicrosecond);

// The peers: the same bytes straight to the host file, and made safe by hand.
void BM_PlainWrite(benchmark::State &state, bool safe)
{
    const std::string path = Saves().folder + "/peer.dat";
    const std::string temporary = path + ".tmp";
    const std::vector<uint8_t> bytes = kalder_test::DemoGameFile().Bytes();
    for (auto _ : state) {
        const int fd = open(safe ? temporary.c_str() : path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        benchmark::DoNotOptimize(write(fd, bytes.data(), bytes.size()));
        if (safe) {
            fsync(fd);
        }
        close(fd);
        if (safe) {
            rename(temporary.c_str(), path.c_str());
        }
    }
}
BENCHMARK_CAPTURE(BM_PlainWrite, plain, false)->Name("peer/open-write-close")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainWrite, safe, true)->Name("peer/write-fsync-rename")->Unit(benchmark::kMicrosecond);

void BM_WriteThumbnail(benchmark::State &state)
{
    Saves();
    for (auto _ : state) {
        if (SAVE_WriteThumbnail("Demo items") != 0) {
            state.SkipWithError("the thumbnail failed");
            break;
        }
    }
}
BENCHMARK(BM_WriteThumbnail)->Name("save/write-thumbnail")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
