// The film player: one block of DPCM sound decoded against a plain loop copying its 5,880 bytes, and
// the container's cost per frame (HNM_NextFrame over a 200-frame "HNS6" film of 100 KB pictures that
// reach the stand-ins) against DPR_Get and DPR_Skip of the same bytes alone.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/summary.h"
#include "core/clk.h"
#include "core/dpr.h"
#include "core/mem.h"
#include "core/mgm.h"
#include "core/que.h"
#include "core/snd.h"
#include "core/sys.h"
#include "films/hnm.h"
#include "plat/test.h"
#include "tests/support/film_writer.h"

namespace {

constexpr uint32_t kFrames = 200;
constexpr uint32_t kPicture = 100 * 1024;
const char *const kPath = "d:\\data\\hnm\\bench.hnm";

std::vector<uint8_t> codes_block()
{
    std::vector<uint8_t> codes(kalder_test::kFilmSoundCodes);
    for (size_t i = 0; i < codes.size(); i++) {
        codes[i] = uint8_t(128 + int(i % 7) - 3);
    }
    return codes;
}

void BM_DecodeDPCMStereo(benchmark::State &state)
{
    const kalder_test::DeltaTable table = kalder_test::DefaultDeltaTable();
    const std::vector<uint8_t> codes = codes_block();
    std::vector<int16_t> out(HNM_SOUND_CODES);
    uint32_t levels = 0;
    for (auto _ : state) {
        HNM_DecodeDPCMStereo(&levels, table.data(), codes.data(), HNM_SOUND_CODES, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * HNM_SOUND_CODES);
}
BENCHMARK(BM_DecodeDPCMStereo);

// The floor of a sound block: its bytes moved by a plain loop.
void BM_CopyBlockLoop(benchmark::State &state)
{
    std::vector<int16_t> in(HNM_SOUND_CODES, 3);
    std::vector<int16_t> out(HNM_SOUND_CODES);
    for (auto _ : state) {
        for (uint32_t i = 0; i < HNM_SOUND_CODES; i++) {
            out[i] = in[i];
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * HNM_SOUND_CODES);
}
BENCHMARK(BM_CopyBlockLoop);

// The whole film through the player, as the message manager drives it: a fill and a frame a pass.
void film_frames(benchmark::State &state, bool sound)
{
    SND_Shutdown();
    test::SetSoundDevice(sound);
    if (sound) {
        SND_Init(8);
    }
    for (auto _ : state) {
        HNM_Open(kPath);
        while (HNM_Kind != 0) {
            HNM_FillStream();
            HNM_NextFrame();
        }
        MGM_Event event;
        while (QUE_Read(MGM_ControlQueue, &event)) {
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}

void BM_FilmFramesSilent(benchmark::State &state) { film_frames(state, false); }
BENCHMARK(BM_FilmFramesSilent)->Unit(benchmark::kMillisecond);

void BM_FilmFramesSound(benchmark::State &state) { film_frames(state, true); }
BENCHMARK(BM_FilmFramesSound)->Unit(benchmark::kMillisecond);

// The same requests of the streaming buffer, with nothing done with the bytes.
const uint8_t *get(uint32_t n)
{
    const uint8_t *p;
    while ((p = DPR_Get(DPR_Main, n)) == nullptr) {
        DPR_Fill(DPR_Main);
    }
    return p;
}

void BM_DprSameBytes(benchmark::State &state)
{
    for (auto _ : state) {
        MEM_ResetStack(MEM_Arena);
        DPR_Open(DPR_Main, kPath);
        for (int i = 0; i < 24; i++) {
            DPR_Fill(DPR_Main);
        }
        benchmark::DoNotOptimize(get(68));
        DPR_Skip(DPR_Main);
        for (uint32_t frame = 0; frame < kFrames; frame++) {
            for (uint32_t n : {8u, uint32_t(kalder_test::kFilmSoundCodes), 8u, kPicture}) {
                benchmark::DoNotOptimize(get(n));
                DPR_Skip(DPR_Main);
            }
            benchmark::DoNotOptimize(get(4));
            DPR_Skip(DPR_Main);
            DPR_Fill(DPR_Main);
        }
        DPR_Close(DPR_Main);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}
BENCHMARK(BM_DprSameBytes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("film_bench." + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "DATA" / "HNM");
    // Every frame: one sound block and a 100 KB picture; the first frame carries the table.
    kalder_test::FilmWriter film("HNS6");
    const std::vector<uint8_t> codes = codes_block();
    const std::vector<uint8_t> picture(kPicture, 0x5A);
    film.IXFrame({kalder_test::SoundFirstPayload(kalder_test::DefaultDeltaTable(), codes)}, "", picture);
    for (uint32_t frame = 1; frame < kFrames; frame++) {
        film.IXFrame({codes}, "", picture);
    }
    film.ZeroFrame();
    if (!film.WriteHost((dir / "DATA" / "HNM" / "BENCH.HNM").string())) {
        std::fprintf(stderr, "film_bench: cannot write under %s\n", dir.c_str());
        return 1;
    }
    test::MapDrive('D', dir.string());
    test::ResetCurrentDirectories();
    MEM_Arena = MEM_CreateStack(0x172000);
    DPR_Main = DPR_Create(0x57800, 0x57800, 0x8000);
    MGM_ControlQueue = QUE_Create(50);
    CLK_Start(200, 15);

    SummaryReporter reporter(PickItemsPerSecond);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto per = [&](const char *name, double scale) {
        auto it = reporter.figures.find(name);
        return it == reporter.figures.end() || it->second <= 0 ? 0.0 : scale / it->second;
    };
    std::printf("\nFilm summary: one sound block decoded in %.0f ns (%.0f Msamples/s), copied by a plain loop in "
                "%.0f ns (the decode takes %s times the copy)\n",
                per("BM_DecodeDPCMStereo", 1e9 * HNM_SOUND_CODES), reporter.figures["BM_DecodeDPCMStereo"] / 1e6,
                per("BM_CopyBlockLoop", 1e9 * HNM_SOUND_CODES),
                Ratio(reporter, "BM_CopyBlockLoop", "BM_DecodeDPCMStereo").c_str());
    std::printf("Per frame of 100 KB: player %.1f us silent (%s times the streaming buffer alone), %.1f us with "
                "sound (%s times), streaming buffer alone %.1f us\n",
                per("BM_FilmFramesSilent", 1e6), Ratio(reporter, "BM_DprSameBytes", "BM_FilmFramesSilent").c_str(),
                per("BM_FilmFramesSound", 1e6), Ratio(reporter, "BM_DprSameBytes", "BM_FilmFramesSound").c_str(),
                per("BM_DprSameBytes", 1e6));

    HNM_Close();
    SND_Shutdown();
    QUE_Destroy(MGM_ControlQueue);
    DPR_Destroy(DPR_Main);
    MEM_DestroyStack(MEM_Arena);
    std::filesystem::remove_all(dir);
    benchmark::Shutdown();
    return 0;
}
