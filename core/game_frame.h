// The game receiver's handler, called once per dispatch round while the game runs, and the frame and
// raw input words it keeps for the world, the interface and the editor.
//
// Names the world's code may know them by: GAME_LastKey is the control mapper's CTRL_LastKey,
// GAME_RawInput its raw input state and GAME_PadButtons its three extra button states; GAME_Paused is
// also called GAME_Held.
#pragma once
#include <cstddef>
#include <cstdint>

// The raw device state that control mapping reads.
struct GAME_RawInputRecord {
    int32_t pointer_x;
    int32_t pointer_y;
    int32_t axis_x;
    int32_t axis_y;
    uint8_t buttons;        // 0x01 button 1, 0x02 button 2
    int32_t button1;        // 0/1
    int32_t button2;        // 0/1
};

enum : uint8_t {
    GAME_BUTTON_1 = 0x01,
    GAME_BUTTON_2 = 0x02,
};

extern uint16_t GAME_LastKey;          // virtual-key code of the last key event of this round, 0 for none
extern GAME_RawInputRecord GAME_RawInput;
extern int32_t GAME_PadButtons[3];     // the three extra buttons, zero or non-zero when pressed
extern double GAME_TimeFactor;         // 1.0 = one frame at 30 frames a second; 0.2..5.0
extern float GAME_LastFrameClock;      // game clock (5 ms units) at the last frame
extern double GAME_FramesPerSecond;
extern int32_t GAME_FrameRate;         // its integer value
extern float GAME_TimeSeconds;         // sum of the time factor / 30 over all frames
extern int32_t GAME_SampleTime;        // clock of the last frame-rate sample
extern int32_t GAME_SampleTaken;       // 1 on the frame that took a sample
extern int32_t GAME_Paused;            // 1: the world holds the hero and the fight still
extern int32_t GAME_PauseHeading;      // the hero's heading when the pause began

struct MGM_Event;

uint8_t GAME_FrameHandler();
// The key, pointer and pointer-button events ('3' to '8') that every receiver decodes alike into the
// raw input words; 0 for any other event. The game frame's handler reads the second button's bit
// alone (withButton2State 0), the control and title receivers its state word as well (1).
int32_t GAME_ReadPointerEvent(const MGM_Event &event, int32_t withButton2State);
// The current project's texture film, "<install>data\anim\<film>", into path: 0 when it does not
// fit. The scene start opens it, and the frame handler again at each film end, so that it loops.
int32_t GAME_AnimFilmPath(char *path, size_t size);
