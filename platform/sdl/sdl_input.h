// Inside the SDL back-end: the key and controller mappings (pure functions, tested as tables) and the
// hooks through which the window's event pump feeds the keyboard and joysticks.
#pragma once
#include <cstdint>

#include <SDL.h>

#include "plat/input.h"

// Virtual keys of one key: up to two (a left or right modifier also gives its generic code, first).
// Returns how many were written to vk; 0 for a key the game has no code for.
int SDLP_MapKey(SDL_Scancode scancode, SDL_Keycode keycode, int numlock, uint8_t vk[2]);

// Virtual key of a mouse button (SDL_BUTTON_LEFT ...); 0 for none.
uint8_t SDLP_MapMouseButton(int button);

// An SDL axis value as a raw position 0..65535, values within the dead zone reading as the centre.
uint32_t SDLP_AxisToRaw(int16_t value);

// An SDL hat value (SDL_HAT_UP ...) as the angle the game expects, 0xFFFF when centred.
uint32_t SDLP_HatToAngle(uint8_t hat);

// A game controller's state: axes by SDL_GameControllerAxis, and buttons with SDL_GameControllerButton
// b in bit b.
struct SDLP_PadState {
    int16_t axes[SDL_CONTROLLER_AXIS_MAX];
    uint32_t buttons;
};
// What the game reads from a game controller, laid out as a classic 10-button PC pad.
void SDLP_MapController(const SDLP_PadState &pad, PLAT_JoyPos *pos);
enum : uint32_t { SDLP_CONTROLLER_BUTTONS = 12 };

// Called once the window exists: keys go straight to the game (no input method), joysticks start.
void SDLP_StartInput();
// Called by the event pump for every event it takes.
void SDLP_InputEvent(const SDL_Event &event);
