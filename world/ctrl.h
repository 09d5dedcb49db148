// Control mapping: the raw state of keyboard, pointer, joystick and pad turned into the eleven logical
// controls that the hero, the camera and every menu read, and the control receiver that modal loops
// (title, menus, dialog window) install over the game's own.
//
// Words this module shares with the game's frame handler, defined there once (core/game_frame.h,
// core/sys.h): CTRL_LastKey is GAME_LastKey, the raw input state is GAME_RawInput, the three extra
// button states are GAME_PadButtons; the last clock reading is GAME_LastFrameClock, the last beat time
// GAME_SampleTime and the beat flag GAME_SampleTaken; GAME_FilmShown is GAME_FilmHold and
// GAME_FilmHeld is GAME_FilmFrozen. The replay state is REPLAY_State (world/replay.h).
#pragma once
#include <cstdint>

#include "core/mgm.h"
#include "core/que.h"

// Indices into CTRL_Controls.
enum : int32_t {
    CTRL_UP = 0,
    CTRL_DOWN = 1,
    CTRL_LEFT = 2,
    CTRL_RIGHT = 3,
    CTRL_K1 = 4,
    CTRL_K2 = 5,
    CTRL_K3 = 6,
    CTRL_SEL = 7,
    CTRL_SWI = 8,
    CTRL_BT0 = 9,
    CTRL_BT1 = 10,
    CTRL_COUNT = 11,
};

// Bits of a control word.
enum : int32_t {
    CTRL_HELD = 0x01,
    CTRL_RELEASED = 0x02,
    CTRL_CHANGED = 0x04,
};

// The control devices.
enum : uint8_t {
    CTRL_KEYBOARD = 0,
    CTRL_MOUSE = 1,
    CTRL_JOYSTICK = 2,
    CTRL_PAD = 3,
    CTRL_NONE = 4,
    CTRL_MENU_KEYS = 5,
};

extern int32_t CTRL_Controls[CTRL_COUNT];
extern uint8_t CTRL_Device;
extern uint8_t CTRL_DeviceBackup;
extern int32_t CTRL_DirectionTime;   // game clock when a direction last went down
extern int32_t CTRL_TickFlag;        // 1 in a receiver cycle that saw a clock tick
extern MGM_Queue *CTRL_Queue;        // the control receiver's own queue while installed
extern MGM_Queue *CTRL_SavedQueue;   // the receiver it replaced
extern MGM_Handler CTRL_SavedHandler;
extern int32_t CTRL_SavedFlags;      // the MGM flag words when it was installed
extern int32_t CTRL_InstallDepth;    // nested installs still open

// 1 when the control went down since the last mapping: held and changed.
inline bool CTRL_FreshlyPressed(int32_t control)
{
    return (CTRL_Controls[control] & (CTRL_HELD | CTRL_CHANGED)) == (CTRL_HELD | CTRL_CHANGED);
}

// Called by a modal screen before its loop: the control receiver takes the MGM's input.
void CTRL_Install();
// Called by a modal screen when its loop ends: the receiver it replaced is given back.
void CTRL_Uninstall();
// The control receiver's handler, once per dispatch round while installed.
uint8_t CTRL_Dispatcher();
// Called once per frame by the game's frame handler, the control receiver and the title.
void CTRL_MapInput();
// The modal receivers (the control receiver and the title's), once per cycle after the mapping: the
// clock reading, the beat flag and the time factor of a modal loop.
void CTRL_MeasureFrame();
void CTRL_UpdateDirection(int32_t control, int32_t pressed);
void CTRL_UpdateButton(int32_t control, int32_t pressed);
// The same for a button word kept outside CTRL_Controls (the title's and the menus' Return word).
void CTRL_UpdateButtonWord(int32_t *control, int32_t pressed);
void CTRL_ResetButtons();
void CTRL_SetDevice(int32_t device); // keeps the low 8 bits
void CTRL_SaveDevice();
void CTRL_RestoreDevice();
