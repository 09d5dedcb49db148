// Collision box pairs. Not built yet: the pool stays empty.
#include "engine3d/pairs.h"

int32_t Pairs_Init(int32_t) { return 1; }
