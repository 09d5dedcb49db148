// Effect models. Not built yet: nothing is loaded, so there is nothing to move, and a glow ball, a
// trail and a burst of particles are only counted.
#include "world/fx.h"

int32_t FX_BallCount;
int32_t FX_TrailCount;
int32_t FX_HitParticleCount;
int32_t FX_EffectCount;

void FX_LoadModels() {}
void FX_LoadShotModels() {}
void FX_InitEmitters() {}
void FX_LoadThrownModel() {}
void FX_LoadManaSpheres() {}
void FX_LoadGroundElements() {}
void FX_UpdateEmitters(ActorRecord *) {}
void FX_UpdateManaSpheres(ActorRecord *) {}
void FX_UpdateParticles() {}
void FX_UpdateSparks() {}
void FX_Sparks(ActorRecord *) {}
void FX_UpdateThrown() {}
void FX_UpdateGroundElements(ActorRecord *) {}
void FX_UpdateBalls() {}

void FX_AttachBall(int32_t, ActorRecord *, int32_t, int32_t) { FX_BallCount++; }
void FX_Trail(ActorRecord *) { FX_TrailCount++; }
void FX_SpawnHitParticles(ActorRecord *) { FX_HitParticleCount++; }
void FX_SpawnEffect(ActorRecord *) { FX_EffectCount++; }
