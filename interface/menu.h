// The in-game menu in its three modes, and the screen layout that the menus and the HUD place their
// pictures by.
#pragma once
#include <cstdint>

// The virtual screen the menus and the HUD are laid out on, and what a virtual pixel is divided by to
// reach the screen.
struct MENU_LayoutRecord {
    int32_t virtual_width;  // 640 or 800
    int32_t virtual_height; // 400, 480 or 600
    int32_t h_divisor;      // 1 or 2
    int32_t v_divisor;      // 1 or 2
};
extern MENU_LayoutRecord MENU_Layout;

// Sets MENU_Layout from the screen's size; the HUD runs it every frame, the menus as they open.
void MENU_ComputeLayout();

// The options screen, a sub-screen of the title's menu and of the in-game system menu: its rows,
// drawn on every pass of the caller, and one pass of its input, which writes 0 into *open when the
// player leaves it.
void MENU_DrawOptions();
void MENU_OptionsInput(int32_t *open);
// Called as the options screen opens: the screen-mode row's index from the layout.
void MENU_ScreenModeIndex();

void MENU_OpenSystem();
void MENU_OpenSpells();
void MENU_OpenObjects();
// The in-game menu as the hero's action opens it, from the actor step.
void MENU_Run();
// From the scene start of a project whose save mode is 1: the inventory keeps its spells only.
void MENU_KeepSpellsOnly();
// Stand-ins: the calls of MENU_KeepSpellsOnly and MENU_Run, for the tests.
extern int32_t MENU_KeepSpellsCalls;
extern int32_t MENU_RunCalls;
