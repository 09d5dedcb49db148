// SDL keyboard and joysticks: the pump's key, mouse-button and device events kept as the polled
// state the game reads, with a latch per virtual key.
#include "sdl_input.h"

namespace {

// Keyboard. A virtual key is down while any key or button that gave it is held: both Ctrl keys give
// 0x11. Each held key remembers the codes its press gave, so its release clears exactly those even
// when Num Lock changed in between.
uint8_t down_count[256];
bool latch[256];

struct Holder {
    uint8_t count;
    uint8_t vk[2];
};
Holder held_keys[SDL_NUM_SCANCODES];
Holder held_buttons[8];

void press(Holder &holder, const uint8_t *vk, int count)
{
    if (holder.count != 0) {
        return;
    }
    holder.count = uint8_t(count);
    for (int i = 0; i < count; i++) {
        holder.vk[i] = vk[i];
        down_count[vk[i]]++;
        latch[vk[i]] = true;
    }
}

void release(Holder &holder)
{
    for (int i = 0; i < holder.count; i++) {
        if (down_count[holder.vk[i]] > 0) {
            down_count[holder.vk[i]]--;
        }
    }
    holder.count = 0;
}

// After the window lost the focus nothing held or latched survives: a latched Tab of Alt+Tab would
// otherwise open a menu when the player comes back.
void forget_keys()
{
    for (int vk = 0; vk < 256; vk++) {
        down_count[vk] = 0;
        latch[vk] = false;
    }
    for (Holder &h : held_keys) {
        h.count = 0;
    }
    for (Holder &h : held_buttons) {
        h.count = 0;
    }
}

// Joysticks: each plugged SDL device keeps the lowest slot that was free when it came.
const uint32_t kSlots = 16;
struct Slot {
    SDL_Joystick *joystick; // null while the slot is free
    SDL_GameController *controller;
    SDL_JoystickID instance;
};
Slot slots[kSlots];
bool joysticks_started;

void add_device(int device_index)
{
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(device_index);
    Slot *free_slot = nullptr;
    for (Slot &s : slots) {
        if (s.joystick != nullptr && s.instance == instance) {
            return;
        }
        if (s.joystick == nullptr && free_slot == nullptr) {
            free_slot = &s;
        }
    }
    if (free_slot == nullptr) {
        return;
    }
    Slot s{};
    if (SDL_IsGameController(device_index)) {
        s.controller = SDL_GameControllerOpen(device_index);
        if (s.controller != nullptr) {
            s.joystick = SDL_GameControllerGetJoystick(s.controller);
        }
    }
    if (s.joystick == nullptr) {
        s.controller = nullptr;
        s.joystick = SDL_JoystickOpen(device_index);
    }
    if (s.joystick == nullptr) {
        return;
    }
    s.instance = SDL_JoystickInstanceID(s.joystick);
    *free_slot = s;
}

void remove_device(SDL_JoystickID instance)
{
    for (Slot &s : slots) {
        if (s.joystick != nullptr && s.instance == instance) {
            if (s.controller != nullptr) {
                SDL_GameControllerClose(s.controller);
            } else {
                SDL_JoystickClose(s.joystick);
            }
            s = Slot{};
        }
    }
}

Slot *plugged(uint32_t id)
{
    if (id >= kSlots || slots[id].joystick == nullptr || !SDL_JoystickGetAttached(slots[id].joystick)) {
        return nullptr;
    }
    return &slots[id];
}

} // namespace

void SDLP_StartInput()
{
    // An input method would take letter keys for text composition; the game wants raw keys.
    SDL_StopTextInput();
    // The game reads the joysticks only while its window has the focus; their state must be current
    // at that moment, so SDL keeps it up to date in the background too.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (!joysticks_started && SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0) {
        joysticks_started = true;
        for (int i = 0; i < SDL_NumJoysticks(); i++) {
            add_device(i);
        }
    }
}

void SDLP_InputEvent(const SDL_Event &event)
{
    switch (event.type) {
    case SDL_KEYDOWN: {
        if (event.key.repeat) {
            break;
        }
        const SDL_Keysym &key = event.key.keysym;
        uint8_t vk[2];
        const int count = SDLP_MapKey(key.scancode, key.sym, (key.mod & KMOD_NUM) != 0, vk);
        if (count > 0 && key.scancode >= 0 && key.scancode < SDL_NUM_SCANCODES) {
            press(held_keys[key.scancode], vk, count);
        }
        break;
    }
    case SDL_KEYUP:
        if (event.key.keysym.scancode >= 0 && event.key.keysym.scancode < SDL_NUM_SCANCODES) {
            release(held_keys[event.key.keysym.scancode]);
        }
        break;
    case SDL_MOUSEBUTTONDOWN: {
        const uint8_t vk = SDLP_MapMouseButton(event.button.button);
        if (vk != 0 && event.button.button < 8) {
            press(held_buttons[event.button.button], &vk, 1);
        }
        break;
    }
    case SDL_MOUSEBUTTONUP:
        if (event.button.button < 8) {
            release(held_buttons[event.button.button]);
        }
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            forget_keys();
        }
        break;
    case SDL_JOYDEVICEADDED:
        if (joysticks_started) {
            add_device(event.jdevice.which);
        }
        break;
    case SDL_JOYDEVICEREMOVED:
        remove_device(event.jdevice.which);
        break;
    default:
        break;
    }
}

uint16_t PLAT_KeyState(int vk)
{
    if (vk < 0 || vk > 255) {
        return 0;
    }
    uint16_t state = down_count[vk] != 0 ? 0x8000 : 0;
    if (latch[vk]) {
        state |= 0x0001;
        latch[vk] = false;
    }
    return state;
}

// A resting analogue stick is never exactly centred: near the middle reads as the middle.
uint32_t SDLP_AxisToRaw(int16_t value)
{
    if (value >= -8000 && value <= 8000) {
        return 32768;
    }
    return uint32_t(int32_t(value) + 32768);
}

uint32_t SDLP_HatToAngle(uint8_t hat)
{
    switch (hat) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return 0xFFFF;
    }
}

void SDLP_MapController(const SDLP_PadState &pad, PLAT_JoyPos *pos)
{
    auto pressed = [&](int b) { return (pad.buttons >> b) & 1u; };
    const bool up = pressed(SDL_CONTROLLER_BUTTON_DPAD_UP) && !pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    const bool down = pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN) && !pressed(SDL_CONTROLLER_BUTTON_DPAD_UP);
    const bool left = pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT) && !pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    const bool right = pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) && !pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT);

    // The stick steers; resting, the D-pad drives the axes to their ends, as an old digital pad did.
    pos->x = SDLP_AxisToRaw(pad.axes[SDL_CONTROLLER_AXIS_LEFTX]);
    if (pos->x == 32768 && (left || right)) {
        pos->x = left ? 0 : 65535;
    }
    pos->y = SDLP_AxisToRaw(pad.axes[SDL_CONTROLLER_AXIS_LEFTY]);
    if (pos->y == 32768 && (up || down)) {
        pos->y = up ? 0 : 65535;
    }

    uint8_t hat = SDL_HAT_CENTERED;
    hat |= up ? SDL_HAT_UP : 0;
    hat |= down ? SDL_HAT_DOWN : 0;
    hat |= left ? SDL_HAT_LEFT : 0;
    hat |= right ? SDL_HAT_RIGHT : 0;
    pos->hat = SDLP_HatToAngle(hat);

    // The classic PC pad's order: face buttons, shoulders, triggers, back, start, stick presses.
    static const int kOrder[] = {
        SDL_CONTROLLER_BUTTON_A,           SDL_CONTROLLER_BUTTON_B,
        SDL_CONTROLLER_BUTTON_X,           SDL_CONTROLLER_BUTTON_Y,
        SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    };
    uint32_t bits = 0;
    for (int i = 0; i < 6; i++) {
        bits |= pressed(kOrder[i]) << i;
    }
    bits |= uint32_t(pad.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] > 16383) << 6;
    bits |= uint32_t(pad.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] > 16383) << 7;
    bits |= pressed(SDL_CONTROLLER_BUTTON_BACK) << 8;
    bits |= pressed(SDL_CONTROLLER_BUTTON_START) << 9;
    bits |= pressed(SDL_CONTROLLER_BUTTON_LEFTSTICK) << 10;
    bits |= pressed(SDL_CONTROLLER_BUTTON_RIGHTSTICK) << 11;
    pos->buttons = bits;
}

// The driver's slots, not the devices: the game probes slots 0 and 1 itself.
uint32_t PLAT_JoyGetNumDevs() { return joysticks_started ? kSlots : 0; }

int PLAT_JoyGetCaps(uint32_t id, PLAT_JoyCaps *caps)
{
    const Slot *s = plugged(id);
    if (s == nullptr) {
        return 0;
    }
    if (s->controller != nullptr) {
        caps->buttons = SDLP_CONTROLLER_BUTTONS;
        caps->has_hat = 1;
        return 1;
    }
    const int buttons = SDL_JoystickNumButtons(s->joystick);
    caps->buttons = uint32_t(buttons < 0 ? 0 : buttons > 32 ? 32 : buttons);
    caps->has_hat = SDL_JoystickNumHats(s->joystick) > 0 ? 1 : 0;
    return 1;
}

uint32_t PLAT_JoyGetPos(uint32_t id, int with_hat, PLAT_JoyPos *pos)
{
    if (id >= kSlots || !joysticks_started) {
        return PLAT_JOY_BADID;
    }
    const Slot *s = plugged(id);
    if (s == nullptr) {
        return PLAT_JOY_UNPLUGGED;
    }
    if (s->controller != nullptr) {
        SDLP_PadState pad{};
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; a++) {
            pad.axes[a] = SDL_GameControllerGetAxis(s->controller, SDL_GameControllerAxis(a));
        }
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX && b < 32; b++) {
            if (SDL_GameControllerGetButton(s->controller, SDL_GameControllerButton(b))) {
                pad.buttons |= 1u << b;
            }
        }
        SDLP_MapController(pad, pos);
    } else {
        SDL_Joystick *j = s->joystick;
        pos->x = SDL_JoystickNumAxes(j) > 0 ? SDLP_AxisToRaw(SDL_JoystickGetAxis(j, 0)) : 32768;
        pos->y = SDL_JoystickNumAxes(j) > 1 ? SDLP_AxisToRaw(SDL_JoystickGetAxis(j, 1)) : 32768;
        pos->hat = SDL_JoystickNumHats(j) > 0 ? SDLP_HatToAngle(SDL_JoystickGetHat(j, 0)) : 0xFFFF;
        pos->buttons = 0;
        const int buttons = SDL_JoystickNumButtons(j);
        for (int b = 0; b < buttons && b < 32; b++) {
            if (SDL_JoystickGetButton(j, b)) {
                pos->buttons |= 1u << b;
            }
        }
    }
    if (!with_hat) {
        pos->hat = 0xFFFF;
    }
    return PLAT_JOY_OK;
}
