// Profiler: eight cycle timers that the 3D engine starts and stops around its stages.
#pragma once
#include <cstdint>

struct PROF_Timer {
    float accumulated; // cycles counted while running since the last reset
    float start;       // stamp of the last start; after a stop, the last interval
    float starts;      // +1.0 per start
    uint16_t running;  // 1 while started
    uint16_t colour;   // bar colour, RGB565
};

extern PROF_Timer PROF_Timers[8];
extern int32_t PROF_Current;
extern float PROF_CyclesPerSecond;
extern uint64_t PROF_TscSlot[2];      // the stamps of the two start/elapsed pairs
extern uint32_t PROF_CycleValues[4];  // the values of the cycle-bar overlay

// Cycles are nanoseconds of the platform's high-resolution counter, counted from the calibration, so
// that the 32-bit float timers stay precise however long the machine has been up.
float PROF_ReadCycles();
// The same count whole, for the 64-bit stamps.
uint64_t PROF_ReadCycleCount();
// The first stamp pair: the count kept, then the count since it (also left in the slot).
void PROF_TscStart1();
uint64_t PROF_TscElapsed1();
void PROF_CalibrateClock();
float PROF_CyclesPerRetrace();
void PROF_Reset();
void PROF_SetColour(int32_t i, uint16_t colour);
void PROF_SetCurrent(int32_t i);
void PROF_StartTimer(int32_t i);
void PROF_StopTimer(int32_t i);
// Drawing of the timers into a frame. Not built yet: placeholders that draw nothing.
void PROF_DrawBars(uint16_t *frame);
void PROF_DrawValue(uint16_t *frame, int32_t i);
