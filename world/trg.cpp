// Scene triggers. Not built yet: no trigger is loaded, so no character starts hidden.
#include "world/trg.h"

void TRG_Load() {}
void TRG_HideLaterShown(ActorRecord *) {}
