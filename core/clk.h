// The game clock: whole clock units since the clock started, and the tick that falls due each period.
#pragma once
#include <cstdint>

extern uint32_t CLK_LastTick;   // ms of the last tick
extern uint32_t CLK_LastStep;   // ms of the last clock step
extern uint32_t CLK_Unit;       // ms per clock unit
extern uint32_t CLK_TickPeriod; // ms between ticks
extern int32_t CLK_TickDue;
extern uint32_t CLK_GameClock;  // units since the clock started

void CLK_Start(int32_t units_per_second, int32_t ticks_per_second);
void CLK_Stop();
void CLK_Update();
