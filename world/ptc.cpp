// Particles. Not built yet: no sprites and an empty pool, no particle system started; loading the
// sprites builds the saturating add table the texture tinting reads.
#include "world/ptc.h"

#include "engine3d/gfx_tint.h"

int32_t PART_EmissionA[3];
int32_t PART_EmissionB[3];

void PTC_LoadSprites() { GFX_BuildSaturateTable(); }
int32_t PART_Create(int32_t, int32_t, int32_t) { return 1; }
void PART_Init() {}
void PART_SetFollowActor(ActorRecord *) {}
void PART_SetAttractor(ActorRecord *, int32_t, int32_t) {}
void PART_Update() {}
