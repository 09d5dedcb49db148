// SDL keys to the game's virtual-key codes. Letters follow the layout, as virtual keys do; digits,
// punctuation and everything else go by position.
#include "sdl_input.h"

namespace {

struct ScanVk {
    SDL_Scancode scancode;
    uint8_t vk;
};

// Keys whose code does not depend on the layout or on Num Lock.
const ScanVk kFixed[] = {
    {SDL_SCANCODE_1, 0x31}, {SDL_SCANCODE_2, 0x32}, {SDL_SCANCODE_3, 0x33}, {SDL_SCANCODE_4, 0x34},
    {SDL_SCANCODE_5, 0x35}, {SDL_SCANCODE_6, 0x36}, {SDL_SCANCODE_7, 0x37}, {SDL_SCANCODE_8, 0x38},
    {SDL_SCANCODE_9, 0x39}, {SDL_SCANCODE_0, 0x30},
    {SDL_SCANCODE_RETURN, 0x0D}, {SDL_SCANCODE_KP_ENTER, 0x0D}, {SDL_SCANCODE_ESCAPE, 0x1B},
    {SDL_SCANCODE_BACKSPACE, 0x08}, {SDL_SCANCODE_TAB, 0x09}, {SDL_SCANCODE_SPACE, 0x20},
    {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_F1, 0x70}, {SDL_SCANCODE_F2, 0x71}, {SDL_SCANCODE_F3, 0x72}, {SDL_SCANCODE_F4, 0x73},
    {SDL_SCANCODE_F5, 0x74}, {SDL_SCANCODE_F6, 0x75}, {SDL_SCANCODE_F7, 0x76}, {SDL_SCANCODE_F8, 0x77},
    {SDL_SCANCODE_F9, 0x78}, {SDL_SCANCODE_F10, 0x79}, {SDL_SCANCODE_F11, 0x7A}, {SDL_SCANCODE_F12, 0x7B},
    {SDL_SCANCODE_F13, 0x7C}, {SDL_SCANCODE_F14, 0x7D}, {SDL_SCANCODE_F15, 0x7E}, {SDL_SCANCODE_F16, 0x7F},
    {SDL_SCANCODE_F17, 0x80}, {SDL_SCANCODE_F18, 0x81}, {SDL_SCANCODE_F19, 0x82}, {SDL_SCANCODE_F20, 0x83},
    {SDL_SCANCODE_F21, 0x84}, {SDL_SCANCODE_F22, 0x85}, {SDL_SCANCODE_F23, 0x86}, {SDL_SCANCODE_F24, 0x87},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C}, {SDL_SCANCODE_SCROLLLOCK, 0x91}, {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_INSERT, 0x2D}, {SDL_SCANCODE_HOME, 0x24}, {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_DELETE, 0x2E}, {SDL_SCANCODE_END, 0x23}, {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_LEFT, 0x25}, {SDL_SCANCODE_UP, 0x26}, {SDL_SCANCODE_RIGHT, 0x27}, {SDL_SCANCODE_DOWN, 0x28},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90}, {SDL_SCANCODE_KP_DIVIDE, 0x6F}, {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_MINUS, 0x6D}, {SDL_SCANCODE_KP_PLUS, 0x6B},
    {SDL_SCANCODE_LGUI, 0x5B}, {SDL_SCANCODE_RGUI, 0x5C}, {SDL_SCANCODE_APPLICATION, 0x5D},
    {SDL_SCANCODE_MINUS, 0xBD}, {SDL_SCANCODE_EQUALS, 0xBB}, {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD}, {SDL_SCANCODE_BACKSLASH, 0xDC}, {SDL_SCANCODE_SEMICOLON, 0xBA},
    {SDL_SCANCODE_APOSTROPHE, 0xDE}, {SDL_SCANCODE_GRAVE, 0xC0}, {SDL_SCANCODE_COMMA, 0xBC},
    {SDL_SCANCODE_PERIOD, 0xBE}, {SDL_SCANCODE_SLASH, 0xBF}, {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
};

// Keypad digits and period: with Num Lock on they are the keypad codes, off they are the keys
// printed beneath them (the 5 is Clear).
struct KeypadVk {
    SDL_Scancode scancode;
    uint8_t on;
    uint8_t off;
};
const KeypadVk kKeypad[] = {
    {SDL_SCANCODE_KP_0, 0x60, 0x2D}, {SDL_SCANCODE_KP_1, 0x61, 0x23}, {SDL_SCANCODE_KP_2, 0x62, 0x28},
    {SDL_SCANCODE_KP_3, 0x63, 0x22}, {SDL_SCANCODE_KP_4, 0x64, 0x25}, {SDL_SCANCODE_KP_5, 0x65, 0x0C},
    {SDL_SCANCODE_KP_6, 0x66, 0x27}, {SDL_SCANCODE_KP_7, 0x67, 0x24}, {SDL_SCANCODE_KP_8, 0x68, 0x26},
    {SDL_SCANCODE_KP_9, 0x69, 0x21}, {SDL_SCANCODE_KP_PERIOD, 0x6E, 0x2E},
};

// Left and right modifiers: the generic code first, then the sided one.
struct ModifierVk {
    SDL_Scancode scancode;
    uint8_t generic;
    uint8_t sided;
};
const ModifierVk kModifiers[] = {
    {SDL_SCANCODE_LSHIFT, 0x10, 0xA0}, {SDL_SCANCODE_RSHIFT, 0x10, 0xA1},
    {SDL_SCANCODE_LCTRL, 0x11, 0xA2},  {SDL_SCANCODE_RCTRL, 0x11, 0xA3},
    {SDL_SCANCODE_LALT, 0x12, 0xA4},   {SDL_SCANCODE_RALT, 0x12, 0xA5},
};

} // namespace

int SDLP_MapKey(SDL_Scancode scancode, SDL_Keycode keycode, int numlock, uint8_t vk[2])
{
    if (keycode >= SDLK_a && keycode <= SDLK_z) {
        vk[0] = uint8_t(0x41 + (keycode - SDLK_a));
        return 1;
    }
    // Non-Latin layouts: the letter key gives the letter printed at its place on a US keyboard.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        vk[0] = uint8_t(0x41 + (scancode - SDL_SCANCODE_A));
        return 1;
    }
    for (const ScanVk &k : kFixed) {
        if (k.scancode == scancode) {
            vk[0] = k.vk;
            return 1;
        }
    }
    for (const KeypadVk &k : kKeypad) {
        if (k.scancode == scancode) {
            vk[0] = numlock ? k.on : k.off;
            return 1;
        }
    }
    for (const ModifierVk &k : kModifiers) {
        if (k.scancode == scancode) {
            vk[0] = k.generic;
            vk[1] = k.sided;
            return 2;
        }
    }
    return 0;
}

uint8_t SDLP_MapMouseButton(int button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return 0x01;
    case SDL_BUTTON_RIGHT:
        return 0x02;
    case SDL_BUTTON_MIDDLE:
        return 0x04;
    case SDL_BUTTON_X1:
        return 0x05;
    case SDL_BUTTON_X2:
        return 0x06;
    default:
        return 0;
    }
}
