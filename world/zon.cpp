// Zones. Not built yet: no field is built and there is no respawn point, so an actor stays put.
#include "world/zon.h"

void ZON_Load() {}
void ZON_RandomPoint(ActorRecord *) {}
