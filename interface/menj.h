// MENJ: the HUD, the icon pack and the menu event queue.
#pragma once

void MENJ_Init();
void MENJ_Shutdown();
