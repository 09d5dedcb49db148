// MENJ: the HUD, the icon pack and the menu event queue.
#pragma once
#include <cstdint>

extern int32_t MENJ_SkipPresent; // set by the save screens: the next game frame does not present
extern int32_t MENJ_HudOn;       // 1: the HUD is drawn over the 3D view

void MENJ_Init();
void MENJ_Shutdown();
// The per-frame HUD, then the menu events; hud is MENJ_HudOn.
void MENJ_Update(int32_t hud);
