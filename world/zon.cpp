// Zones. Not built yet: no zone acts and no spawner spawns.
#include "world/zon.h"

void ZON_Update(ActorRecord *) {}
void ZON_UpdateSpawners(ActorRecord *) {}
