// File service and pack reads: resolving game paths (exact, other case, short name) and reading a
// pack entry through the file layer in 1000-byte pieces.
#include <benchmark/benchmark.h>

#include <string>

#include "core/file.h"
#include "core/pack.h"
#include "plat/files.h"
#include "tests/support/pack_writer.h"
#include "tests/support/temp_drives.h"

namespace {

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives *d = [] {
        auto *t = new kalder_test::TempDrives("CD");
        // A disc folder of a realistic size: the lookups that miss the exact name scan it.
        for (int i = 0; i < 200; i++) {
            t->Write('D', "DATA/HNM/FILM_LONG_NAME_" + std::to_string(i) + ".HNM");
        }
        t->Write('D', "DATA/HNM/Tete_Entree.HNM");
        kalder_test::WritePack(t->MakeDir('C', "data/icone") + "/icones.bf",
                               {{"DATA\\ICONE\\BIG.ICO", std::vector<uint8_t>(1 << 20, 0x5A)}});
        return t;
    }();
    return *d;
}

void BM_ResolveExact(benchmark::State &state)
{
    drives();
    std::string host;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PLAT_ResolvePath("D:\\DATA\\HNM\\Tete_Entree.HNM", PLAT_RESOLVE_EXISTING, &host));
    }
}
BENCHMARK(BM_ResolveExact);

void BM_ResolveOtherCase(benchmark::State &state)
{
    drives();
    std::string host;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PLAT_ResolvePath("d:\\data\\hnm\\tete_entree.hnm", PLAT_RESOLVE_EXISTING, &host));
    }
}
BENCHMARK(BM_ResolveOtherCase);

void BM_ResolveShortName(benchmark::State &state)
{
    drives();
    std::string host;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PLAT_ResolvePath("d:\\data\\hnm\\tete_e~1.hnm", PLAT_RESOLVE_EXISTING, &host));
    }
}
BENCHMARK(BM_ResolveShortName);

void BM_ReadPackEntry(benchmark::State &state)
{
    drives();
    if (PACK_Count == 0) {
        PACK_Open("data\\icone\\icones.bf");
    }
    uint8_t piece[1000];
    for (auto _ : state) {
        int32_t handle = FILE_Open("data\\icone\\big.ico", O_RDONLY | O_BINARY);
        while (FILE_Read(handle, piece, sizeof piece) > 0) {
        }
        FILE_Close(handle);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_ReadPackEntry);

} // namespace
