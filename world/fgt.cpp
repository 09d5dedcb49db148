// The hero's fight. Not built yet: only the stance hold time is kept, and no blow is struck.
#include "world/fgt.h"

float FGT_StanceHoldTime;
void FGT_HeroFight(ActorRecord *) {}
