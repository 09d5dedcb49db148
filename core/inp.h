// Input: the key table and the raw events of each dispatch round (keys, clock ticks, clock stamps,
// joysticks).
#pragma once
#include <cstdint>

struct MGM_Queue;

// INP_KeyTable bits, by virtual-key code.
enum : uint8_t {
    INP_KEY_HELD = 0x01,  // down at the last scan
    INP_KEY_DOWN = 0x02,  // went down at the last scan
    INP_KEY_UP = 0x04,    // went up at the last scan
};

// The last joystick and pad reports; a poll posts an event only when a reading differs from them.
struct INP_JoyReport {
    int32_t x, y, pov;
    uint16_t buttons;
};
struct INP_PadReport {
    int32_t x, y;
    uint16_t buttons;
};

extern uint8_t INP_KeyTable[256];
extern MGM_Queue *MGM_InputQueue;
extern uint8_t INP_ClockRunning;
extern uint8_t INP_ClockPaused;
extern uint8_t INP_JoystickOn;
extern uint8_t INP_PadOn;
extern int32_t INP_SavedUnits;    // arguments of the last INP_StartTimer, for resuming
extern int32_t INP_SavedTicks;
extern INP_JoyReport INP_LastJoystick; // 0 at load
extern INP_PadReport INP_LastPad;      // x and y -1 at load, so that the first reading differs

uint8_t INP_Init(int32_t capacity);
void INP_Shutdown();
void INP_Poll();
void INP_StartTimer(int32_t units_per_second, int32_t ticks_per_second);
void INP_StopTimer();
void INP_PauseTimer();
void INP_ResumeTimer();
void INP_Joystick1On();
void INP_Joystick1Off();
void INP_Joystick2On();
void INP_Joystick2Off();
void INP_ScanKeyboard();
void INP_ClearKeys();
void INP_ResetKeys();
