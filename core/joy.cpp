// Joysticks: which devices are plugged at start-up, and joystick 0 read with or without its hat.
#include "core/joy.h"

#include "plat/input.h"

JOY_Record JOY_State[2];
int32_t JOY_Count;

// Any failure of the position call, not only "unplugged", counts as no device: the record keeps its
// last values and the poll sees no change.
static int present(uint32_t device)
{
    PLAT_JoyPos pos;
    return PLAT_JoyGetPos(device, 0, &pos) == PLAT_JOY_OK;
}

// Counts the devices in slots 0 and 1 and fills record 0 for device 0, its centre read once here.
static int32_t probe()
{
    const uint32_t slots = PLAT_JoyGetNumDevs();
    if (slots == 0) {
        return 0;
    }
    int32_t found = present(0);
    if (slots > 1) {
        found += present(1);
    }
    JOY_Record &r = JOY_State[0];
    r = JOY_Record{};
    r.device = 0;
    PLAT_JoyCaps caps;
    if (PLAT_JoyGetCaps(0, &caps)) {
        r.button_count = int32_t(caps.buttons);
        r.has_pov = caps.has_hat ? 1 : 0;
    }
    PLAT_JoyPos pos;
    if (PLAT_JoyGetPos(0, 0, &pos) == PLAT_JOY_OK) {
        r.centre_x = int32_t(pos.x);
        r.centre_y = int32_t(pos.y);
    }
    JOY_Count = found;
    return found;
}

int32_t JOY_Init1() { return probe(); }
int32_t JOY_Init2() { return probe(); }

int32_t JOY_Read1(int32_t index, int32_t *x, int32_t *y, int32_t *pov, uint16_t *buttons)
{
    if (index != 0 && index != 1) {
        return 0;
    }
    JOY_Record &r = JOY_State[index];
    PLAT_JoyPos pos;
    if (PLAT_JoyGetPos(uint32_t(r.device), r.has_pov, &pos) == PLAT_JOY_OK) {
        r.x = int32_t(pos.x) - r.centre_x;
        r.y = int32_t(pos.y) - r.centre_y;
        r.pov = r.has_pov ? int32_t(pos.hat) : 0;
        r.buttons = pos.buttons;
    }
    *x = r.x;
    *y = r.y;
    *pov = r.pov;
    *buttons = uint16_t(r.buttons);
    return 1;
}

// The pad: no hat, and the centred position, with a reading of exactly -1 taken as the centre.
int32_t JOY_Read2(int32_t index, int32_t *x, int32_t *y, uint16_t *buttons)
{
    if (index != 0 && index != 1) {
        return 0;
    }
    JOY_Record &r = JOY_State[index];
    PLAT_JoyPos pos;
    if (PLAT_JoyGetPos(uint32_t(r.device), 0, &pos) == PLAT_JOY_OK) {
        r.x = int32_t(pos.x) - r.centre_x;
        r.y = int32_t(pos.y) - r.centre_y;
        r.buttons = pos.buttons;
    }
    *x = r.x == -1 ? 0 : r.x;
    *y = r.y == -1 ? 0 : r.y;
    *buttons = uint16_t(r.buttons);
    return 1;
}

int32_t JOY_GetButtonCount(int32_t index, int32_t *count)
{
    if (index != 0 && index != 1) {
        *count = 0;
        return 0;
    }
    *count = JOY_State[index].button_count;
    return 1;
}

int32_t JOY_GetButtonCountAlt(int32_t index, int32_t *count) { return JOY_GetButtonCount(index, count); }
