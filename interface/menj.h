// MENJ: the HUD, the icon pack and the menu event queue.
#pragma once
#include <cstdint>

struct MGM_Queue;

extern int32_t MENJ_SkipPresent; // set by the save screens: the next game frame does not present
extern int32_t MENJ_HudOn;       // 1: the HUD is drawn over the 3D view
// The interface's event queue (50 events): the world posts item, exit and effect events into it.
extern MGM_Queue *MENJ_Queue;
// The icon set of each of the three hand slots that hold the quick spells; -1: empty.
extern int32_t MENJ_QuickSpell[3];

void MENJ_Init();
void MENJ_Shutdown();
// The per-frame HUD, then the menu events; hud is MENJ_HudOn.
void MENJ_Update(int32_t hud);
// Posts an event that carries a name (an exit's 'B' with the actor's node name) into MENJ_Queue.
void MENJ_PostName(int32_t code, const char *name);
