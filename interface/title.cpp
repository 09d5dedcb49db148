// The title sequence. Not built yet: it goes straight on to the game.
#include "interface/title.h"

#include "core/sys.h"

void TITLE_Run() { GAME_EndRequest = 0; }
