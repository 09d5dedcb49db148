// Joysticks: probing at start-up and the two ways of reading joystick 0.
#pragma once
#include <cstdint>

// One joystick as the game knows it. Positions are relative to the centre taken at start-up.
struct JOY_Record {
    int32_t device;       // the platform's joystick number
    int32_t x, y;         // position relative to the centre
    int32_t pov;          // hat angle in hundredths of a degree, 0xFFFF centred; 0 without a hat
    uint32_t buttons;     // button bits
    int32_t centre_x, centre_y; // raw positions taken at start-up
    int32_t button_count;
    uint8_t has_pov;
};

// Record 0 describes device 0; record 1 is never filled.
extern JOY_Record JOY_State[2];
// Joysticks found by the last probing; zeroed with the keys when the main window is made.
extern int32_t JOY_Count;

int32_t JOY_Init1();
int32_t JOY_Init2();
int32_t JOY_Read1(int32_t index, int32_t *x, int32_t *y, int32_t *pov, uint16_t *buttons);
int32_t JOY_Read2(int32_t index, int32_t *x, int32_t *y, uint16_t *buttons);
int32_t JOY_GetButtonCount(int32_t index, int32_t *count);
int32_t JOY_GetButtonCountAlt(int32_t index, int32_t *count);
