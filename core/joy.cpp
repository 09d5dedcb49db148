// Joysticks. No joystick service is connected yet: probing finds none and every count is 0.
#include "core/joy.h"

int32_t JOY_Init1() { return 0; }
int32_t JOY_Init2() { return 0; }

int32_t JOY_GetButtonCount(int32_t index, int32_t *count)
{
    *count = 0;
    return index == 0 || index == 1 ? 1 : 0;
}

int32_t JOY_GetButtonCountAlt(int32_t index, int32_t *count) { return JOY_GetButtonCount(index, count); }
