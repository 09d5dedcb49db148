// The hero's fight. Not built yet: only the stance hold time is kept, no blow is struck, and water
// does nothing to an actor.
#include "world/fgt.h"

float FGT_StanceHoldTime;
void FGT_HeroFight(ActorRecord *) {}

void FGT_WaterStep(ActorRecord *) {}
