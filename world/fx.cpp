// Effect models. Not built yet: nothing is loaded, so there is nothing to move, and a glow ball, a
// trail, a burst of particles and a burst of sparks are only counted.
#include "world/fx.h"

int32_t FX_BallCount;
FX_BallRequest FX_LastBall;
int32_t FX_SparkCount;
ActorRecord *FX_LastSparks;
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
void FX_UpdateThrown() {}
void FX_UpdateGroundElements(ActorRecord *) {}
void FX_UpdateBalls() {}

void FX_AttachBall(int32_t kind, ActorRecord *actor, int32_t node, int32_t size)
{
    FX_BallCount++;
    FX_LastBall = {kind, actor, node, size};
}
void FX_Sparks(ActorRecord *actor)
{
    FX_SparkCount++;
    FX_LastSparks = actor;
}
void FX_Trail(ActorRecord *) { FX_TrailCount++; }
void FX_SpawnHitParticles(ActorRecord *) { FX_HitParticleCount++; }
void FX_SpawnEffect(ActorRecord *) { FX_EffectCount++; }
