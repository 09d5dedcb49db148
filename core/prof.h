// Profiler: eight cycle timers that the 3D engine starts and stops around its stages, their bars and
// frame rate drawn over the frame, two 64-bit stamp pairs, a dormant start/stop pair and the
// cycle-bar overlay.
#pragma once
#include <cstdint>

struct GFX_ScaledSprite;

struct PROF_Timer {
    float accumulated; // cycles counted while running since the last reset
    float start;       // stamp of the last start; after a stop, the last interval
    float starts;      // +1.0 per start
    uint16_t running;  // 1 while started
    uint16_t colour;   // bar colour, RGB565
};

// The dormant start/stop pair: the start stamp, the cycles between starts and stops less the pair's
// own cost, and the number of stops.
struct PROF_CyclePair {
    uint64_t start;
    uint64_t total;
    uint32_t count;
};

extern PROF_Timer PROF_Timers[8];
extern int32_t PROF_Current;
extern float PROF_CyclesPerSecond;
extern uint64_t PROF_TscSlot[2];      // the stamps of the two start/elapsed pairs
extern uint32_t PROF_CycleValues[4];  // the values of the cycle-bar overlay
extern PROF_CyclePair PROF_Cycles;
// The object record the cycle-bar overlay sets up for each of its bars.
extern GFX_ScaledSprite PROF_BarSprite;

// Cycles are nanoseconds of the platform's high-resolution counter, counted from the calibration, so
// that the 32-bit float timers stay precise however long the machine has been up.
float PROF_ReadCycles();
// The same count whole, for the 64-bit stamps.
uint64_t PROF_ReadCycleCount();
// The display refresh is never waited for: returns at once.
void PROF_WaitRetrace();
// One display refresh in cycles, taken as 1/60 s.
float PROF_CyclesPerRetrace();
// Takes the base of the count; cycles per second become 1e9. Called by Init_3D at every level load.
void PROF_CalibrateClock();

void PROF_Reset();
void PROF_SetColour(int32_t i, uint16_t colour);
void PROF_SetCurrent(int32_t i);
void PROF_StartTimer(int32_t i);
void PROF_StopTimer(int32_t i);
// Stops the current timer and starts the next.
void PROF_NextTimer();

// Drawn after the render while Debug_Level is non-zero, into the frame of the library's screen size:
// timer 0 across a whole row from `row`, the other timers' shares of it after that; then the frame
// rate of timer i as text at (50, 20), in white whatever the colour.
void PROF_DrawBars(uint16_t *row);
void PROF_DrawValue(uint16_t *buffer, int32_t i, uint16_t colour);
// Row y of the frame: the other timers' shares of the reference timer, scaled to the view's width,
// then cleared to the row's end. Nothing calls it.
void PROF_DrawBarRow(int32_t reference, uint16_t *buffer, int32_t y);

// The two stamp pairs: the count kept, then the count since it (also left in the slot).
void PROF_TscStart1();
uint64_t PROF_TscElapsed1();
void PROF_TscStart2();
uint64_t PROF_TscElapsed2();
// The dormant pair. Nothing calls it.
void PROF_CycleStart();
void PROF_CycleStop();

// The cycle-bar overlay: the cycles since its last call become its first value, and the four values are
// drawn as scaled sprites along the bottom of the 640 x 480 frame (the renderer draws nothing in this
// build). Nothing calls it.
void PROF_ShowCycleBars();
void PROF_DrawCycleBars();
