// Input polling: once per dispatch round, what changed on the keyboard, the clock and the joystick
// becomes raw events in the input queue, always in the same order.
#include "core/inp.h"

#include "core/clk.h"
#include "core/joy.h"
#include "core/que.h"
#include "plat/input.h"
#include "plat/time.h"

uint8_t INP_KeyTable[256];
MGM_Queue *MGM_InputQueue;
uint8_t INP_ClockRunning;
uint8_t INP_ClockPaused;
uint8_t INP_JoystickOn;
uint8_t INP_PadOn;
int32_t INP_SavedUnits;
int32_t INP_SavedTicks;
INP_JoyReport INP_LastJoystick;
INP_PadReport INP_LastPad = {-1, -1, 0};

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

// Each bit of the table that marks a change lasts exactly one scan.
void INP_ScanKeyboard()
{
    for (int code = 0; code < 256; code++) {
        uint8_t &key = INP_KeyTable[code];
        if (PLAT_KeyState(code) != 0) {
            if (key & INP_KEY_HELD) {
                key &= uint8_t(~INP_KEY_DOWN);
            } else {
                key |= INP_KEY_DOWN | INP_KEY_HELD;
            }
            key &= uint8_t(~INP_KEY_UP);
        } else {
            if (key & INP_KEY_HELD) {
                key &= uint8_t(~INP_KEY_HELD);
                key |= INP_KEY_UP;
            } else {
                key &= uint8_t(~INP_KEY_UP);
            }
            key &= uint8_t(~INP_KEY_DOWN);
        }
    }
}

void INP_ClearKeys()
{
    INP_ScanKeyboard();
    for (uint8_t &key : INP_KeyTable) {
        key = 0;
    }
}

void INP_ResetKeys()
{
    INP_ClearKeys();
    JOY_Count = 0;
}

// Two signed 16-bit halves in one event word, stored sign-extended as every numeric word is.
static int32_t pack(int32_t high, int32_t low)
{
    return int32_t((uint32_t(high) << 16) | (uint32_t(low) & 0xFFFF));
}

void INP_Poll()
{
    INP_ScanKeyboard();
    // Codes 0-2 (the left and right mouse buttons among them) stay in the table only.
    for (int code = 3; code < 256; code++) {
        if (INP_KeyTable[code] & INP_KEY_DOWN) {
            QUE_Post(MGM_InputQueue, '3', code, 0);
        }
    }

    if (INP_ClockRunning) {
        CLK_Update();
        if (CLK_TickDue) {
            QUE_Post(MGM_InputQueue, ';', 0, 0);
            CLK_TickDue = 0;
        }
    }

    const uint64_t stamp = PLAT_Counter();
    QUE_Post(MGM_InputQueue, '=', int32_t(uint32_t(stamp >> 32)), int32_t(uint32_t(stamp)));

    if (INP_JoystickOn) {
        INP_JoyReport now{};
        if (JOY_Read1(0, &now.x, &now.y, &now.pov, &now.buttons) &&
            (now.x != INP_LastJoystick.x || now.y != INP_LastJoystick.y || now.pov != INP_LastJoystick.pov ||
             now.buttons != INP_LastJoystick.buttons)) {
            INP_LastJoystick = now;
            QUE_Post(MGM_InputQueue, '9', pack(now.x, now.y), pack(now.pov, now.buttons));
        }
    }

    if (INP_PadOn) {
        INP_PadReport now{};
        if (JOY_Read2(0, &now.x, &now.y, &now.buttons) &&
            (now.x != INP_LastPad.x || now.y != INP_LastPad.y || now.buttons != INP_LastPad.buttons)) {
            INP_LastPad = now;
            QUE_Post(MGM_InputQueue, ':', pack(now.x, now.y), now.buttons);
        }
    }
}

void INP_StartTimer(int32_t units_per_second, int32_t ticks_per_second)
{
    QUE_Clear(MGM_InputQueue);
    CLK_Start(units_per_second, ticks_per_second);
    INP_ClockRunning = 1;
    INP_SavedUnits = units_per_second;
    INP_SavedTicks = ticks_per_second;
}

void INP_StopTimer()
{
    if (INP_ClockRunning) {
        CLK_Stop();
        CLK_TickDue = 0;
        INP_ClockRunning = 0;
    }
}

void INP_PauseTimer()
{
    if (INP_ClockRunning) {
        INP_StopTimer();
        INP_ClockPaused = 1;
    }
}

// The game clock starts again from 0: resuming is a new start with the saved rates.
void INP_ResumeTimer()
{
    if (INP_ClockPaused) {
        INP_StartTimer(INP_SavedUnits, INP_SavedTicks);
        INP_ClockPaused = 0;
    }
}

void INP_Joystick1On() { INP_JoystickOn = 1; }
void INP_Joystick1Off() { INP_JoystickOn = 0; }
void INP_Joystick2On() { INP_PadOn = 1; }
void INP_Joystick2Off() { INP_PadOn = 0; }
