// Hits and damage. Not built yet: no actor is knocked back.
#include "world/fgt_hit.h"

void FGT_StepKnockback(ActorRecord *) {}
