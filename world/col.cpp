// The game's collision pass. Not built yet: there is nothing to collide.
#include "world/col.h"

void COL_Collide() {}
