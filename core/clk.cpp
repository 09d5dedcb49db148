// The game clock, read from the platform's millisecond clock at every poll.
#include "core/clk.h"

#include "plat/time.h"

uint32_t CLK_LastTick;
uint32_t CLK_LastStep;
uint32_t CLK_Unit;
uint32_t CLK_TickPeriod;
int32_t CLK_TickDue;
uint32_t CLK_GameClock;

void CLK_Start(int32_t units_per_second, int32_t ticks_per_second)
{
    const uint32_t now = PLAT_TimeMs();
    CLK_LastTick = now;
    CLK_LastStep = now;
    // A rate of 0, or one above 1000 a second, gives no whole millisecond; such a unit or period
    // becomes 1 ms rather than a division by zero at the next update.
    CLK_Unit = units_per_second != 0 ? uint32_t(1000 / units_per_second) : 0;
    CLK_TickPeriod = ticks_per_second != 0 ? uint32_t(1000 / ticks_per_second) : 0;
    if (CLK_Unit == 0) {
        CLK_Unit = 1;
    }
    if (CLK_TickPeriod == 0) {
        CLK_TickPeriod = 1;
    }
    CLK_TickDue = 0;
    CLK_GameClock = 0;
}

void CLK_Stop() {}

// Distance between two readings of the wrapping clock, as the absolute signed difference. Its
// magnitude is taken unsigned, so that a distance of exactly 2^31 ms stays 2^31.
static uint32_t elapsed(uint32_t now, uint32_t then)
{
    const int32_t d = int32_t(now - then);
    return d < 0 ? uint32_t(0) - uint32_t(d) : uint32_t(d);
}

void CLK_Update()
{
    const uint32_t now = PLAT_TimeMs();
    if (elapsed(now, CLK_LastTick) >= CLK_TickPeriod) {
        CLK_TickDue = 1;
        CLK_LastTick = now;
    }
    const uint32_t since = elapsed(now, CLK_LastStep);
    // The remainder is dropped on purpose: the game clock counts whole units between updates.
    // A clock that was never started (unit 0) does not move.
    if (CLK_Unit != 0 && since >= CLK_Unit) {
        CLK_GameClock += since / CLK_Unit;
        CLK_LastStep = now;
    }
}
