// Scene triggers. Not built yet: no trigger fires, so the exits stay locked.
#include "world/trg.h"

void TRG_Update(ActorRecord *) {}
int32_t TRG_ExitsUnlocked() { return 0; }
