// Input devices: the keyboard by virtual-key code and the joysticks, read by polling.
#pragma once
#include <cstdint>

// State of one virtual key: 0x8000 while it is down, plus 0x0001 when it was pressed since the last
// query of that code. The query clears that latch, so a press and release that both fall between two
// queries still reads once.
uint16_t PLAT_KeyState(int vk);

// Joystick results, as the game's joystick calls report them.
enum : uint32_t {
    PLAT_JOY_OK = 0,
    PLAT_JOY_BADID = 165,
    PLAT_JOY_UNPLUGGED = 167,
};

struct PLAT_JoyCaps {
    uint32_t buttons; // number of buttons, at most 32
    int has_hat;      // 1 when the device has a point-of-view hat
};

struct PLAT_JoyPos {
    uint32_t x, y;    // raw positions 0..65535, 32768 at rest
    uint32_t hat;     // hundredths of a degree clockwise from up; 0xFFFF when centred
    uint32_t buttons; // button i in bit i
};

// Number of joystick slots the driver offers (not devices plugged); 0 when there is no driver.
uint32_t PLAT_JoyGetNumDevs();
// Capabilities of the device in slot id; 0 when the slot holds no device.
int PLAT_JoyGetCaps(uint32_t id, PLAT_JoyCaps *caps);
// Position of the device in slot id; the hat is read only when with_hat is non-zero. Returns
// PLAT_JOY_OK, PLAT_JOY_UNPLUGGED for an empty slot, or another code for other failures; *pos is
// filled only on PLAT_JOY_OK.
uint32_t PLAT_JoyGetPos(uint32_t id, int with_hat, PLAT_JoyPos *pos);
