// Input polling. Keyboard and joystick are not connected yet: a poll posts the clock's tick and stamp.
#include "core/inp.h"

#include "core/clk.h"
#include "core/que.h"
#include "plat/time.h"

MGM_Queue *MGM_InputQueue;
uint8_t INP_ClockRunning;
uint8_t INP_ClockPaused;
uint8_t INP_JoystickOn;
uint8_t INP_PadOn;

static int32_t saved_units;
static int32_t saved_ticks;

uint8_t INP_Init(int32_t capacity)
{
    INP_ClockRunning = 0;
    INP_ClockPaused = 0;
    INP_JoystickOn = 0;
    INP_PadOn = 0;
    MGM_InputQueue = QUE_Create(capacity);
    return MGM_InputQueue != nullptr ? 1 : 0;
}

void INP_Shutdown()
{
    INP_StopTimer();
    QUE_Destroy(MGM_InputQueue);
    MGM_InputQueue = nullptr;
}

void INP_Poll()
{
    if (INP_ClockRunning) {
        CLK_Update();
        if (CLK_TickDue) {
            QUE_Post(MGM_InputQueue, ';', 0, 0);
            CLK_TickDue = 0;
        }
    }
    const uint64_t stamp = PLAT_Counter();
    QUE_Post(MGM_InputQueue, '=', int32_t(uint32_t(stamp >> 32)), int32_t(uint32_t(stamp)));
}

void INP_StartTimer(int32_t units_per_second, int32_t ticks_per_second)
{
    QUE_Clear(MGM_InputQueue);
    CLK_Start(units_per_second, ticks_per_second);
    INP_ClockRunning = 1;
    saved_units = units_per_second;
    saved_ticks = ticks_per_second;
}

void INP_StopTimer()
{
    if (INP_ClockRunning) {
        CLK_Stop();
        CLK_TickDue = 0;
        INP_ClockRunning = 0;
    }
}

void INP_Joystick1On() { INP_JoystickOn = 1; }
void INP_Joystick1Off() { INP_JoystickOn = 0; }
void INP_Joystick2On() { INP_PadOn = 1; }
void INP_Joystick2Off() { INP_PadOn = 0; }

// The key table is not kept yet: nothing to reset.
void INP_ResetKeys() {}
