// Joysticks: probing at start-up and the two ways of reading joystick 0.
#pragma once
#include <cstdint>

int32_t JOY_Init1();
int32_t JOY_Init2();
int32_t JOY_GetButtonCount(int32_t index, int32_t *count);
int32_t JOY_GetButtonCountAlt(int32_t index, int32_t *count);
