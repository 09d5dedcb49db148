// Headless keyboard and joysticks: key states and devices that tests script.
#include "plat/input.h"
#include "plat/test.h"

#include "internal.h"

namespace {

const uint32_t kSlots = 16;

bool key_down[256];
bool key_latch[256];

struct FakeJoystick {
    bool plugged;
    uint32_t buttons_count;
    bool has_hat;
    uint32_t result;
    PLAT_JoyPos pos;
};

uint32_t slot_count = kSlots;
FakeJoystick joysticks[kSlots];

FakeJoystick *plugged(uint32_t id)
{
    if (id >= slot_count || id >= kSlots || !joysticks[id].plugged) {
        return nullptr;
    }
    return &joysticks[id];
}

} // namespace

uint16_t PLAT_KeyState(int vk)
{
    if (vk < 0 || vk > 255) {
        return 0;
    }
    uint16_t state = key_down[vk] ? 0x8000 : 0;
    if (key_latch[vk]) {
        state |= 0x0001;
        key_latch[vk] = false;
    }
    return state;
}

uint32_t PLAT_JoyGetNumDevs() { return slot_count; }

int PLAT_JoyGetCaps(uint32_t id, PLAT_JoyCaps *caps)
{
    const FakeJoystick *j = plugged(id);
    if (j == nullptr) {
        return 0;
    }
    caps->buttons = j->buttons_count;
    caps->has_hat = j->has_hat ? 1 : 0;
    return 1;
}

uint32_t PLAT_JoyGetPos(uint32_t id, int with_hat, PLAT_JoyPos *pos)
{
    if (id >= slot_count) {
        return PLAT_JOY_BADID;
    }
    const FakeJoystick *j = plugged(id);
    if (j == nullptr) {
        return PLAT_JOY_UNPLUGGED;
    }
    if (j->result != PLAT_JOY_OK) {
        return j->result;
    }
    *pos = j->pos;
    if (!with_hat) {
        pos->hat = 0xFFFF;
    }
    return PLAT_JOY_OK;
}

void HL_ResetInput()
{
    test::KeysReset();
    slot_count = kSlots;
    for (FakeJoystick &j : joysticks) {
        j = FakeJoystick{};
    }
}

namespace test {

void KeyDown(int vk)
{
    if (vk >= 0 && vk <= 255) {
        key_down[vk] = true;
        key_latch[vk] = true;
    }
}

void KeyUp(int vk)
{
    if (vk >= 0 && vk <= 255) {
        key_down[vk] = false;
    }
}

void KeyTap(int vk)
{
    if (vk >= 0 && vk <= 255) {
        key_latch[vk] = true;
    }
}

void KeysReset()
{
    for (int vk = 0; vk < 256; vk++) {
        key_down[vk] = false;
        key_latch[vk] = false;
    }
}

void SetJoySlots(uint32_t slots) { slot_count = slots; }

void PlugJoystick(uint32_t id, uint32_t buttons, bool has_hat)
{
    if (id < kSlots) {
        joysticks[id] = FakeJoystick{true, buttons, has_hat, PLAT_JOY_OK, PLAT_JoyPos{32768, 32768, 0xFFFF, 0}};
    }
}

void UnplugJoystick(uint32_t id)
{
    if (id < kSlots) {
        joysticks[id].plugged = false;
    }
}

void SetJoystick(uint32_t id, uint32_t x, uint32_t y, uint32_t hat, uint32_t buttons)
{
    if (id < kSlots) {
        joysticks[id].pos = PLAT_JoyPos{x, y, hat, buttons};
    }
}

void SetJoyResult(uint32_t id, uint32_t code)
{
    if (id < kSlots) {
        joysticks[id].result = code;
    }
}

} // namespace test
