// The title sequence. Not built yet: it goes straight on to the game.
#include "interface/title.h"

#include "core/sys.h"

int32_t TITLE_FrameDue;

void TITLE_Run() { GAME_EndRequest = 0; }
