// The hero's fight step. Not built yet: water does nothing to an actor.
#include "world/fgt.h"

void FGT_WaterStep(ActorRecord *) {}
