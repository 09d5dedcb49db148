// Zones. Not built yet: no field is built and there is no respawn point, so an actor stays put; no
// zone acts and no spawner spawns.
#include "world/zon.h"

void ZON_Load() {}
void ZON_RandomPoint(ActorRecord *) {}
void ZON_Update(ActorRecord *) {}
void ZON_UpdateSpawners(ActorRecord *) {}
