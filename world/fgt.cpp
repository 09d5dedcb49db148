// The hero's fight. Not built yet: only the stance hold time is kept, and water does nothing to an
// actor.
#include "world/fgt.h"

float FGT_StanceHoldTime;

void FGT_WaterStep(ActorRecord *) {}
