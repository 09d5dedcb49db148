// The game world's frame. No level is loaded yet, so a tick has nothing to move: it only composes
// the picture, as every tick ends.
#include "world/game.h"

#include "core/scr.h"
#include "plat/system.h"

int32_t GAME_FarClip = 0xFFFFF;

int32_t GAME_Init3DEngine() { return 1; }

void GAME_Exit3DEngine() { PLAT_WriteStdout("desinit 3Dengine\n"); }

void GAME_Tick(int32_t) { SCR_ComposeFrame(); }
