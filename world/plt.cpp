// Platforms. Not built yet: there are no records to clear, and no level has a platform actor.
#include "world/plt.h"

void PLT_Clear() {}

ActorRecord *PLT_Actor() { return nullptr; }

void PLT_Update() {}
