// Control mapping: the raw device state turned into the game's logical controls.
#pragma once
#include <cstdint>

void CTRL_MapInput();
void CTRL_SetDevice(int32_t device); // 0 keyboard, 1 mouse, 2 joystick, 3 second pad, 4 none, 5 menu keys
