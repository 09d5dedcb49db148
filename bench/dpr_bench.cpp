// Streaming a 32 MB file through DPR_Main (film-like chunks and scene-like records) against a plain
// loop of 0x8000-byte reads copied into a buffer, on the same file in the same run.
#include <benchmark/benchmark.h>

#include <fcntl.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/dpr.h"
#include "core/mem.h"
#include "core/sys.h"
#include "plat/files.h"
#include "plat/test.h"
#include "tests/support/pattern_file.h"

namespace {

constexpr uint32_t kFileSize = 32u << 20;
const char *const kPath = "C:\\stream.dat";

// Reads the whole file through DPR_Main with requests cycling through `sizes`, copying each span out
// as a reader would. Returns the bytes read.
uint64_t StreamThroughDpr(const std::vector<uint32_t> &sizes, std::vector<uint8_t> &sink)
{
    MEM_ResetStack(MEM_Arena);
    DPR_Open(DPR_Main, kPath);
    uint64_t total = 0;
    for (size_t i = 0;; i++) {
        uint32_t n = sizes[i % sizes.size()];
        uint8_t *p;
        while ((p = DPR_Get(DPR_Main, n)) == nullptr) {
            if (!(DPR_Main->flags & DPR_OPEN)) {
                if (DPR_Main->buffered == 0) {
                    return total;
                }
                n = DPR_Main->buffered;
                continue;
            }
            DPR_Fill(DPR_Main);
        }
        std::memcpy(sink.data(), p, n);
        total += n;
        DPR_Skip(DPR_Main);
    }
}

void BM_DprFilmChunks(benchmark::State &state)
{
    std::vector<uint8_t> sink(0x20000);
    std::vector<uint32_t> sizes;
    for (uint32_t kb = 8; kb <= 64; kb += 8) {
        sizes.push_back(kb * 1024 + 68);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(StreamThroughDpr(sizes, sink));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileSize);
}
BENCHMARK(BM_DprFilmChunks)->Unit(benchmark::kMillisecond);

void BM_DprSceneRecords(benchmark::State &state)
{
    std::vector<uint8_t> sink(0x20000);
    const std::vector<uint32_t> sizes = {9, 5, 2, 11 * 40, 20 * 40};
    for (auto _ : state) {
        benchmark::DoNotOptimize(StreamThroughDpr(sizes, sink));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileSize);
}
BENCHMARK(BM_DprSceneRecords)->Unit(benchmark::kMillisecond);

void BM_PlainReadLoop(benchmark::State &state)
{
    std::vector<uint8_t> block(0x8000);
    std::vector<uint8_t> sink(0x8000);
    for (auto _ : state) {
        int fd = PLAT_Open(kPath, O_RDONLY);
        int32_t got;
        while ((got = PLAT_Read(fd, block.data(), 0x8000)) > 0) {
            std::memcpy(sink.data(), block.data(), size_t(got));
        }
        PLAT_Close(fd);
        benchmark::DoNotOptimize(sink.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFileSize);
}
BENCHMARK(BM_PlainReadLoop)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("dpr_bench." + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    if (!kalder_test::WritePatternFile((dir / "stream.dat").string(), kFileSize)) {
        std::fprintf(stderr, "dpr_bench: cannot write %s\n", (dir / "stream.dat").c_str());
        return 1;
    }
    test::MapDrive('C', dir.string());
    test::ResetCurrentDirectories();
    MEM_Arena = MEM_CreateStack(0x172000);
    DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);

    SummaryReporter reporter(PickMegabytesPerSecond);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double plain = reporter.figures["BM_PlainReadLoop"];
    std::printf("\nDPR summary (32 MB file): plain read loop %.0f MB/s", plain);
    for (const char *name : {"BM_DprFilmChunks", "BM_DprSceneRecords"}) {
        auto it = reporter.figures.find(name);
        if (it != reporter.figures.end() && plain > 0) {
            std::printf(", %s %.0f MB/s (%.2f of plain)", name + 3, it->second, it->second / plain);
        }
    }
    std::printf("\n");

    DPR_Destroy(DPR_Main);
    MEM_DestroyStack(MEM_Arena);
    std::filesystem::remove_all(dir);
    benchmark::Shutdown();
    return 0;
}
