// Profiler: cycle timers over the platform's high-resolution counter.
#include "core/prof.h"

#include <cstdio>

#include "plat/system.h"
#include "plat/time.h"

PROF_Timer PROF_Timers[8];
int32_t PROF_Current;
float PROF_CyclesPerSecond;
uint64_t PROF_TscSlot[2];
uint32_t PROF_CycleValues[4];

namespace {
uint64_t cycle_base; // counter value at calibration

// The display refresh is taken as 60 Hz; nothing here waits for it.
constexpr float Refresh_Rate = 60.0f;
} // namespace

float PROF_ReadCycles()
{
    uint64_t ticks = PLAT_Counter() - cycle_base;
    return static_cast<float>(static_cast<double>(ticks) * 1e9 / static_cast<double>(PLAT_CounterFrequency()));
}

uint64_t PROF_ReadCycleCount()
{
    const unsigned __int128 ticks = PLAT_Counter() - cycle_base;
    return uint64_t(ticks * 1000000000u / PLAT_CounterFrequency());
}

void PROF_TscStart1() { PROF_TscSlot[0] = PROF_ReadCycleCount(); }

uint64_t PROF_TscElapsed1()
{
    PROF_TscSlot[0] = PROF_ReadCycleCount() - PROF_TscSlot[0];
    return PROF_TscSlot[0];
}

// One cycle is one nanosecond, so calibrating is taking the base: the clock needs no measuring.
void PROF_CalibrateClock()
{
    cycle_base = PLAT_Counter();
    PROF_CyclesPerSecond = 1e9f;
}

float PROF_CyclesPerRetrace() { return PROF_CyclesPerSecond / Refresh_Rate; }

void PROF_Reset()
{
    for (PROF_Timer &t : PROF_Timers) {
        t.accumulated = 0.0f;
        t.start = 0.0f;
        t.starts = 0.0f;
        t.running = 0;
    }
    PROF_Current = 0;
}

void PROF_SetColour(int32_t i, uint16_t colour) { PROF_Timers[i & 7].colour = colour; }

void PROF_SetCurrent(int32_t i) { PROF_Current = i; }

// Starting a running timer is the caller's mistake. It used to stop for a console key; a note on
// the standard error says the same without holding the game.
void PROF_StartTimer(int32_t i)
{
    PROF_Timer &t = PROF_Timers[i & 7];
    if (t.running != 0) {
        char line[64];
        std::snprintf(line, sizeof line, "PROF_StartTimer: timer %d is already running\n", int(i));
        PLAT_WriteStderr(line);
    }
    t.start = PROF_ReadCycles();
    t.starts += 1.0f;
    t.running = 1;
}

void PROF_StopTimer(int32_t i)
{
    PROF_Timer &t = PROF_Timers[i & 7];
    float interval = PROF_ReadCycles() - t.start;
    t.start = interval;
    t.accumulated += interval;
    t.running = 0;
}

void PROF_DrawBars(uint16_t *) {}
void PROF_DrawValue(uint16_t *, int32_t) {}
