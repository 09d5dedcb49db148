// Save games. Not built yet: there is no game.dat, so no slot is read.
#include "world/save.h"

int32_t SAVE_ReadSlots() { return -1; }
