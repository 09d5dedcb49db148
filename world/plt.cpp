// Platforms. Not built yet: no level has a platform actor.
#include "world/plt.h"

ActorRecord *PLT_Actor() { return nullptr; }

void PLT_Update() {}
