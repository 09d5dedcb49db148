// Input: the raw events of each dispatch round (keys, clock ticks, clock stamps, joysticks).
#pragma once
#include <cstdint>

struct MGM_Queue;

extern MGM_Queue *MGM_InputQueue;
extern uint8_t INP_ClockRunning;
extern uint8_t INP_ClockPaused;
extern uint8_t INP_JoystickOn;
extern uint8_t INP_PadOn;

uint8_t INP_Init(int32_t capacity);
void INP_Shutdown();
void INP_Poll();
void INP_StartTimer(int32_t units_per_second, int32_t ticks_per_second);
void INP_StopTimer();
void INP_Joystick1On();
void INP_Joystick1Off();
void INP_Joystick2On();
void INP_Joystick2Off();
void INP_ResetKeys();
