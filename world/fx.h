// Effect models: glow balls, shots, thrown models, emitters, mana spheres and ground elements.
#pragma once
#include <cstdint>

struct ActorRecord;

// The level load's effect loaders, in the order it calls them (with WPN_LoadThrown after the first).
void FX_LoadModels();
void FX_LoadShotModels();
void FX_InitEmitters();
void FX_LoadThrownModel();
void FX_LoadManaSpheres();
void FX_LoadGroundElements();

// The actor step hangs a glow ball on an actor whose spell animation passes its hit frame.
void FX_AttachBall(int32_t kind, ActorRecord *actor, int32_t node, int32_t size);

// Per frame from the hero's fight step: the trail its weapon leaves.
void FX_Trail(ActorRecord *actor);
// Particles bursting from an actor: blood of a hit, the air an actor under water breathes out.
void FX_SpawnHitParticles(ActorRecord *actor);
// The hero's moves, each frame a spell is held without the gun: the effect the spell spawns.
void FX_SpawnEffect(ActorRecord *actor);

// A burst of sparks at an actor struck by a blow.
void FX_Sparks(ActorRecord *actor);

// What the stand-ins saw: their calls of FX_AttachBall, FX_Trail, FX_SpawnHitParticles,
// FX_SpawnEffect and FX_Sparks, the last glow ball asked for and the actor of the last burst of sparks.
struct FX_BallRequest {
    int32_t kind;
    ActorRecord *actor;
    int32_t node, size;
};
extern int32_t FX_BallCount;
extern FX_BallRequest FX_LastBall;
extern int32_t FX_SparkCount;
extern ActorRecord *FX_LastSparks;
extern int32_t FX_TrailCount;
extern int32_t FX_HitParticleCount;
extern int32_t FX_EffectCount;

// Called once per frame by the game tick. The emitters and the mana spheres act for the steered
// actor, the ground elements swarm around the hero.
void FX_UpdateEmitters(ActorRecord *actor);
void FX_UpdateManaSpheres(ActorRecord *actor);
void FX_UpdateParticles();
void FX_UpdateSparks();
void FX_UpdateThrown();
void FX_UpdateGroundElements(ActorRecord *hero);
void FX_UpdateBalls();
