// The hero's fight. Not built yet: only the stance hold time is kept, no blow is struck, water
// does nothing to an actor, and the hero is never under water.
#include "world/fgt.h"

float FGT_StanceHoldTime;
int32_t FGT_HeroUnderWater;
void FGT_HeroFight(ActorRecord *) {}

void FGT_WaterStep(ActorRecord *) {}
