// Effects. Not built yet: no effect is loaded, so there is nothing to move.
#include "world/fx.h"

void FX_UpdateEmitters(ActorRecord *) {}
void FX_UpdateManaSpheres(ActorRecord *) {}
void FX_UpdateParticles() {}
void FX_UpdateSparks() {}
void FX_UpdateThrown() {}
void FX_UpdateGroundElements(ActorRecord *) {}
void FX_UpdateBalls() {}
