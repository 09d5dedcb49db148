// The hero's fight. Not built yet: no blow is struck.
#include "world/fgt.h"

void FGT_HeroFight(ActorRecord *) {}
