// The dialog window: the modal loop over a darkened band of the last picture that plays a dialogue
// entry's voice, shows its speaker and fades its lines in, four at a time, then offers "Again".
#pragma once
#include <cstdint>

#include "interface/drd.h"

// A line of the window: where it prints, its fade (20: not shown yet, 1: fully shown), a counter that
// nothing moves, the tick at which it ends, and its text.
struct DLG_WindowLine {
    float x;
    float y;
    int32_t fade;
    int32_t counter;
    int32_t end_time;
    const char *text;
};
extern DLG_WindowLine DLG_Lines[DLG_MAX_LINES];

// The window while it runs. background is the screen as it was set up (darkened band and picture),
// taken from the memory arena; ticks count 15 a second.
struct DLG_WindowState {
    uint8_t *background;
    int32_t ticks;
    int32_t last_seen;
    int32_t current;
    int32_t first;
    int32_t finished;
    int32_t redraw;
    int32_t done;
};
extern DLG_WindowState DLG_Window;
// 1 while the window is set up, 2 while it runs, 0 once it has closed.
extern int32_t DLG_State;

// The word the window offers after the voice, in place until the language file replaces it.
extern const char DLG_AgainText[];

// MENJ_Dispatcher, for a dialogue event whose entry loaded: the whole window, until the player leaves
// it or its offer runs out.
void DLG_RunWindow();
// Halves the band of the frame buffer behind the window's lines and blacks the row under it.
void DLG_DrawWindow();
