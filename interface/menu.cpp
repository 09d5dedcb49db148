// The in-game menu and the options screen. Not built yet: each closes as soon as it opens, and the
// spells-only inventory of a project start keeps every item. The screen layout is real.
#include "interface/menu.h"

#include "core/scr.h"

MENU_LayoutRecord MENU_Layout = {640, 480, 1, 1};

void MENU_ComputeLayout()
{
    MENU_Layout.h_divisor = SCR_Width > 400 ? 1 : 2;
    MENU_Layout.v_divisor = SCR_Height < 400 ? 2 : 1;
    MENU_Layout.virtual_width = SCR_Width % 320 == 0 || SCR_Width == 1024 ? 640 : 800;
    MENU_Layout.virtual_height = SCR_Height == 480 ? 480 : SCR_Height % 300 == 0 ? 600 : 400;
}

void MENU_DrawOptions() {}
void MENU_OptionsInput(int32_t *open) { *open = 0; }
void MENU_ScreenModeIndex() {}

void MENU_OpenSystem() {}
void MENU_OpenSpells() {}
void MENU_OpenObjects() {}
int32_t MENU_RunCalls;
void MENU_Run() { MENU_RunCalls++; }

int32_t MENU_KeepSpellsCalls;
void MENU_KeepSpellsOnly() { MENU_KeepSpellsCalls++; }
