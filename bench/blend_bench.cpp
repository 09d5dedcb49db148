// The screen copy behind the in-game menu: the darkening blend, two pixels a word, against a plain
// per-pixel loop of the same channel formula, and the save and restore against memcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/dsp.h"
#include "core/mem.h"
#include "core/scr.h"
#include "core/sys.h"

namespace {

struct Screen {
    std::vector<uint16_t> frame;
    Screen(uint32_t width, uint32_t height) : frame(size_t(width) * height, 0x7BCF)
    {
        SCR_Width = width;
        SCR_Height = height;
        SCR_FrameBuffer = frame.data();
        SCR_ShownFrame = frame.data();
        if (MEM_Arena == nullptr) {
            MEM_Arena = MEM_CreateStack(0x172000);
        }
        MEM_ResetStack(MEM_Arena);
        MEM_StackAlloc(MEM_Arena, 1); // the copy at an odd address, as the arena may give it
        SCR_AllocCopy();
        SCR_SaveScreen();
    }
};

void BM_Blend(benchmark::State &state)
{
    DSP_Rgb555 = int32_t(state.range(1));
    Screen screen(640, 480);
    for (auto _ : state) {
        SCR_BlendScreen(int32_t(state.range(0)));
        benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Blend)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->ArgNames({"mode", "rgb555"});

// The same result one pixel and one channel at a time.
void BM_BlendReference(benchmark::State &state)
{
    Screen screen(640, 480);
    const int mode = int(state.range(0));
    for (auto _ : state) {
        for (size_t i = 0; i < screen.frame.size(); i++) {
            uint16_t p;
            std::memcpy(&p, SCR_CopyBuffer + i * 2, 2);
            uint32_t r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
            switch (mode) {
            case 0: r &= ~1u, g &= ~1u, b &= ~1u; break;
            case 1: r >>= 1, g >>= 1, b >>= 1; break;
            case 2: r = (r >> 1) & ~1u, g = (g >> 1) & ~1u, b = (b >> 1) & ~1u; break;
            default: r >>= 2, g >>= 2, b >>= 2; break;
            }
            SCR_FrameBuffer[i] = uint16_t(r << 11 | g << 5 | b);
        }
        benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(double(state.iterations()) * 640 * 480 / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BlendReference)->DenseRange(0, 3)->ArgName("mode");

void BM_SaveRestore(benchmark::State &state)
{
    Screen screen(640, 480);
    for (auto _ : state) {
        SCR_SaveScreen();
        SCR_RestoreScreen();
        benchmark::DoNotOptimize(SCR_FrameBuffer[0]);
    }
}
BENCHMARK(BM_SaveRestore);

void BM_SaveRestoreMemcpy(benchmark::State &state)
{
    Screen screen(640, 480);
    std::vector<uint16_t> copy(screen.frame.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), screen.frame.data(), copy.size() * 2);
        std::memcpy(screen.frame.data(), copy.data(), copy.size() * 2);
        benchmark::DoNotOptimize(screen.frame[0]);
    }
}
BENCHMARK(BM_SaveRestoreMemcpy);

} // namespace

BENCHMARK_MAIN();
