// Particles. Not built yet: no sprites and an empty pool.
#include "world/ptc.h"

void PTC_LoadSprites() {}
int32_t PART_Create(int32_t, int32_t, int32_t) { return 1; }
