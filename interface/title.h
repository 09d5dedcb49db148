// The title sequence and main menu: the intro film, then four items on a 2 x 2 grid over the looping
// background film, until the player starts a new game, loads one or quits.
#pragma once
#include <cstdint>

#include "core/mgm.h"

// The title's own receiver while the intro plays: its queue and the receiver it replaced.
extern MGM_Queue *TITLE_Queue;
extern MGM_Queue *TITLE_SavedQueue;
extern MGM_Handler TITLE_SavedHandler;

extern int32_t TITLE_Done;       // 1 ends the loop that runs
// 1 when a frame of the title's film is due; the control receiver writes it on the frame-due event.
extern int32_t TITLE_FrameDue;
extern int32_t TITLE_BeatCount;  // beats since the last move on the ring, or since the closing began
extern int32_t TITLE_LastBeat;   // clock units at the last beat
extern int32_t TITLE_LastPaced;  // clock units at the last menu frame paced without a film picture
extern int32_t TITLE_SubScreen;  // 0 the item ring, 1 the load list or the options of the current item
extern int32_t TITLE_Item;       // the current item, 0..3
extern int32_t TITLE_GameLoaded; // 1 once the load list loaded a game
extern int32_t TITLE_ReturnButton; // the Return key as a control word (bits of CTRL_Controls)
extern int32_t TITLE_FirstPass;  // 0 until the load list had its first input pass

// The items: label, unlit and lit icon names, grid cell, and what TITLE_LoadFrame finds and places.
struct TITLE_ItemRecord {
    const char *label;
    const char *unlit;
    const char *lit;
    int32_t column;
    int32_t row;
    int32_t unlit_set, unlit_sprite;
    int32_t lit_set, lit_sprite;
    int32_t x, y;
};
constexpr int32_t TITLE_ITEM_COUNT = 4;
extern TITLE_ItemRecord TITLE_Items[TITLE_ITEM_COUNT];
extern int32_t TITLE_LabelX;
extern int32_t TITLE_LabelY;

// What WinMain runs before each game: intro, menu, and the start of the chosen game.
void TITLE_Run();
// Around the intro: the title's receiver replaces the current one, and gives it back.
void TITLE_PushReceiver();
void TITLE_PopReceiver();
// The title's receiver, once per dispatch round during the intro.
uint8_t TITLE_Handler();
// As the menu opens: the eight item icons by name, the cells and the label's place.
void TITLE_LoadFrame();
void TITLE_DrawMenu();
// One pass of the menu, after each dispatch round.
void TITLE_MenuRound();
// One pass of the closing rounds between the choice and the game.
void TITLE_EndRounds();
