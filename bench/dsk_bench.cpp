// Copying a 20 MB level file into the install cache through DSK_CopyFile (0x8000-byte chunks through
// the platform's low-level I/O), beside std::filesystem::copy_file on the same file in the same run.
// The figures depend on the file system and its cache more than on the code.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dsk.h"
#include "tests/support/install_writer.h"
#include "tests/support/temp_drives.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kSize = 20 * 1024 * 1024;

double copy_rate;   // MB/s of the last run of each
double peer_rate;

kalder_test::TempDrives &drives()
{
    static kalder_test::TempDrives *d = [] {
        auto *t = new kalder_test::TempDrives("CD");
        kalder_test::WriteMinimalInstallation(*t);
        std::vector<uint8_t> bytes(static_cast<size_t>(kSize));
        for (size_t i = 0; i < bytes.size(); i++) {
            bytes[i] = uint8_t(i * 13 + (i >> 12));
        }
        kalder_test::WriteDriveFile(t->Host('D'), "DATA/3DC/BIG.DSN", bytes);
        DSK_Locate();
        return t;
    }();
    return *d;
}

double megabytes_per_second(int64_t iterations, std::chrono::steady_clock::duration spent)
{
    const double seconds = std::chrono::duration<double>(spent).count();
    return seconds > 0 ? double(kSize) * double(iterations) / seconds / 1e6 : 0;
}

void BM_CopyFile(benchmark::State &state)
{
    const std::string target = kalder_test::InstallHost(drives().Host('C')) + "/DATA/3DC/BIG.DSN";
    std::chrono::steady_clock::duration spent{};
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (DSK_CopyFile("DATA\\3DC\\BIG.DSN", DSK_InstallPath()) != 1) {
            state.SkipWithError("copy failed");
        }
        spent += std::chrono::steady_clock::now() - start;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSize);
    copy_rate = megabytes_per_second(int64_t(state.iterations()), spent);
}
BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond);

// The peer: std::filesystem::copy_file between the same two host files.
void BM_CopyFileStd(benchmark::State &state)
{
    const std::string source = drives().Host('D') + "/DATA/3DC/BIG.DSN";
    const std::string target = kalder_test::InstallHost(drives().Host('C')) + "/DATA/3DC/BIG.DSN";
    std::chrono::steady_clock::duration spent{};
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        fs::copy_file(source, target);
        spent += std::chrono::steady_clock::now() - start;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSize);
    peer_rate = megabytes_per_second(int64_t(state.iterations()), spent);
}
BENCHMARK(BM_CopyFileStd)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (copy_rate > 0 && peer_rate > 0) {
        std::printf("BM_CopyFile %.0f MB/s, std::filesystem::copy_file %.0f MB/s, ratio %.2f\n", copy_rate,
                    peer_rate, copy_rate / peer_rate);
    }
    return 0;
}
