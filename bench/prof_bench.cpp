// The profiler's cost on the real high-resolution counter: a timer's start and stop, one read of the
// count and one calibration, beside clock_gettime and the processor's time-stamp counter as floors.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

#include "bench/summary.h"
#include "core/prof.h"
#include "plat/time.h"

namespace {

void BM_ProfStartStop(benchmark::State &state)
{
    PROF_CalibrateClock();
    PROF_Reset();
    for (auto _ : state) {
        PROF_StartTimer(4);
        PROF_StopTimer(4);
    }
    benchmark::DoNotOptimize(PROF_Timers[4].accumulated);
    PROF_Reset();
}
BENCHMARK(BM_ProfStartStop);

void BM_ProfReadCycles(benchmark::State &state)
{
    PROF_CalibrateClock();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PROF_ReadCycles());
    }
}
BENCHMARK(BM_ProfReadCycles);

// The platform's counter alone, which the profiler's read converts.
void BM_PlatCounter(benchmark::State &state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(PLAT_Counter());
    }
}
BENCHMARK(BM_PlatCounter);

void BM_ClockGettime(benchmark::State &state)
{
    timespec t;
    for (auto _ : state) {
        clock_gettime(CLOCK_MONOTONIC, &t);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_ClockGettime);

#if defined(__x86_64__) || defined(__i386__)
void BM_Rdtsc(benchmark::State &state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(__rdtsc());
    }
}
BENCHMARK(BM_Rdtsc);
#endif

// A calibration takes a base and sets the rate: no refresh is waited for, so it costs one read.
void BM_ProfCalibrateClock(benchmark::State &state)
{
    for (auto _ : state) {
        PROF_CalibrateClock();
    }
    benchmark::DoNotOptimize(PROF_CyclesPerSecond);
}
BENCHMARK(BM_ProfCalibrateClock);

double Ns(const SummaryReporter &rep, const char *name)
{
    auto it = rep.figures.find(name);
    return it == rep.figures.end() ? 0.0 : it->second * 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter(PickSecondsPerIteration);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nns each: start+stop %.1f, read %.1f, platform counter %.1f, clock_gettime %.1f, rdtsc %.1f, "
                "calibration %.1f\n",
                Ns(reporter, "BM_ProfStartStop"), Ns(reporter, "BM_ProfReadCycles"), Ns(reporter, "BM_PlatCounter"),
                Ns(reporter, "BM_ClockGettime"), Ns(reporter, "BM_Rdtsc"), Ns(reporter, "BM_ProfCalibrateClock"));
    const struct {
        const char *what, *ours, *floor;
    } ratios[] = {
        {"start+stop / clock_gettime", "BM_ProfStartStop", "BM_ClockGettime"},
        {"start+stop / rdtsc", "BM_ProfStartStop", "BM_Rdtsc"},
        {"read / clock_gettime", "BM_ProfReadCycles", "BM_ClockGettime"},
        {"read / rdtsc", "BM_ProfReadCycles", "BM_Rdtsc"},
        {"calibration / clock_gettime", "BM_ProfCalibrateClock", "BM_ClockGettime"},
    };
    for (const auto &r : ratios) {
        std::printf("%-28s %s\n", r.what, Ratio(reporter, r.ours, r.floor).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
