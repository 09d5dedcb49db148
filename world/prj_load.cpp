// The level load. Not built yet: nothing loads.
#include "world/prj_load.h"

#include "world/prj.h"

void PRJ_LoadPending() { PRJ_PendingFlag = 0; }
void ACTOR_ResetToStart(ActorRecord *) {}
