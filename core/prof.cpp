// Profiler: cycle timers over the platform's high-resolution counter, and their drawing.
#include "core/prof.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/dsp.h"
#include "core/fconv.h"
#include "core/scr.h"
#include "engine3d/draw2d.h"
#include "engine3d/gfx_tint.h"
#include "engine3d/view.h"
#include "plat/system.h"
#include "plat/time.h"

PROF_Timer PROF_Timers[8];
int32_t PROF_Current;
float PROF_CyclesPerSecond;
uint64_t PROF_TscSlot[2];
uint32_t PROF_CycleValues[4];
PROF_CyclePair PROF_Cycles;
GFX_ScaledSprite PROF_BarSprite;

namespace {
uint64_t cycle_base; // counter value at calibration

constexpr float Nanoseconds_Per_Second = 1e9f;
// The display refresh is taken as 60 Hz; nothing here waits for it.
constexpr float Refresh_Rate = 60.0f;
// What a start and a stop of the dormant pair cost themselves.
constexpr uint64_t Pair_Cost = 29;

// The frame rate's text: cells of 10 columns, 14 glyph rows, from (50, 20).
constexpr int32_t Value_Cell = 10;
constexpr int32_t Value_Rows = 14;
constexpr int32_t Value_X = 50;
constexpr int32_t Value_Y = 20;

// A bar's length: the share of the reference in pixels, cut toward zero. A reference of 0 or a share
// beyond the integers gives the processor's 0x80000000, which draws nothing.
int32_t Bar_Length(int32_t width, float share, float reference)
{
    return trunc_i32(double(width) * double(share) / double(reference));
}

void Fill(uint16_t *pixels, int64_t count, uint16_t colour) { std::fill(pixels, pixels + count, colour); }
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

void PROF_WaitRetrace() {}

float PROF_CyclesPerRetrace() { return Nanoseconds_Per_Second / Refresh_Rate; }

// One cycle is one nanosecond, so calibrating is taking the base: the clock needs no measuring.
void PROF_CalibrateClock()
{
    cycle_base = PLAT_Counter();
    PROF_CyclesPerSecond = Nanoseconds_Per_Second;
}

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

// From 7 the index goes on to 8, which the start takes as timer 0.
void PROF_NextTimer()
{
    PROF_StopTimer(PROF_Current);
    PROF_Current++;
    PROF_StartTimer(PROF_Current);
}

// Bars drawn while a timer runs show a part of its interval; this used to stop for a console key too.
void PROF_DrawBars(uint16_t *row)
{
    for (int i = 0; i < 8; i++) {
        if (PROF_Timers[i].running != 0) {
            char line[64];
            std::snprintf(line, sizeof line, "profiler: timer %d still running\n", i);
            PLAT_WriteStderr(line);
            break;
        }
    }
    const int32_t width = OBJ_View.screen_width;
    const int64_t room = std::max<int64_t>(0, int64_t(width) * OBJ_View.screen_height);
    int64_t written = 0;
    for (const PROF_Timer &t : PROF_Timers) {
        const int32_t length = Bar_Length(width, t.accumulated, PROF_Timers[0].accumulated);
        if (length <= 0) {
            continue;
        }
        const int64_t count = std::min<int64_t>(length, room - written);
        Fill(row + written, count, t.colour);
        written += count;
    }
}

// The text is cut to the cells that end inside the row, and left out where its rows do not fit.
void PROF_DrawValue(uint16_t *buffer, int32_t i, uint16_t)
{
    const int32_t width = OBJ_View.screen_width;
    if (Value_Y + Value_Rows > OBJ_View.screen_height || width - 1 < Value_X + Value_Cell) {
        return;
    }
    const float rate = PROF_CyclesPerSecond / PROF_Timers[i & 7].accumulated;
    char text[64];
    std::snprintf(text, sizeof text, "%4.1f", double(rate));
    const size_t cells = size_t((width - 1 - Value_X) / Value_Cell);
    if (std::strlen(text) > cells) {
        text[cells] = '\0';
    }
    Draw_Text(buffer, Value_Cell, Value_Rows, Value_X, Value_Y, text, 0xFFFF, 0, 0);
}

// The row's pitch is the frame's width, like every drawing of the library's frame.
void PROF_DrawBarRow(int32_t reference, uint16_t *buffer, int32_t y)
{
    const int32_t width = OBJ_View.screen_width;
    if (y < 0 || y >= OBJ_View.screen_height || width <= 0) {
        return;
    }
    uint16_t *row = buffer + int64_t(y) * width;
    const float whole = PROF_Timers[reference & 7].accumulated;
    int64_t x = 0;
    for (int i = 0; i < 8; i++) {
        const PROF_Timer &t = PROF_Timers[i];
        if (i == (reference & 7) || t.accumulated < 0.0f) {
            continue;
        }
        const int32_t length = Bar_Length(OBJ_View.view_width, t.accumulated, whole);
        if (length <= 0) {
            continue;
        }
        const int64_t end = std::min<int64_t>(x + length, width);
        Fill(row + x, end - x, t.colour);
        x = end;
    }
    Fill(row + x, width - x, 0);
}

namespace {
void Tsc_Start(int slot) { PROF_TscSlot[slot] = PROF_ReadCycleCount(); }

uint64_t Tsc_Elapsed(int slot)
{
    PROF_TscSlot[slot] = PROF_ReadCycleCount() - PROF_TscSlot[slot];
    return PROF_TscSlot[slot];
}
} // namespace

void PROF_TscStart1() { Tsc_Start(0); }
uint64_t PROF_TscElapsed1() { return Tsc_Elapsed(0); }
void PROF_TscStart2() { Tsc_Start(1); }
uint64_t PROF_TscElapsed2() { return Tsc_Elapsed(1); }

void PROF_CycleStart() { PROF_Cycles.start = PROF_ReadCycleCount(); }

// An interval shorter than the pair's own cost adds nothing rather than wrapping the total.
void PROF_CycleStop()
{
    const uint64_t interval = PROF_ReadCycleCount() - PROF_Cycles.start;
    PROF_Cycles.total += interval > Pair_Cost ? interval - Pair_Cost : 0;
    PROF_Cycles.count++;
}

void PROF_ShowCycleBars() { PROF_DrawCycleBars(); }

// Each value is a bar sprite whose scale falls as the value grows; small values get the smallest
// scale, drawn translucent.
void PROF_DrawCycleBars()
{
    PROF_CycleValues[0] = uint32_t(PROF_TscElapsed2());
    PROF_TscStart2();
    DSP_BeginDraw();
    for (int32_t k = 0; k < 4; k++) {
        GFX_ScaledSprite &bar = PROF_BarSprite;
        bar.frame = int16_t(0x500 + 0x100 * k);
        bar.x = int16_t(64 * (k + 1));
        bar.y = 440;
        bar.facing = 1;
        if (k < 3) {
            bar.flags &= ~0x2000u;
        }
        int32_t s = int32_t(PROF_CycleValues[k] >> 14);
        if (s < 48) {
            s = 48;
            bar.flags = 0x2000;
        }
        int32_t scale = (0x1000000 / s) >> 8;
        if (k == 0) {
            scale *= 2;
        }
        GFX_DrawScaledSprite(&bar, nullptr, scale, 0, 0, 639, 479, 0, SCR_FrameBuffer);
    }
    DSP_EndDraw();
}
