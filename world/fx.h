// Effects: model particles and sparks, emitters, mana spheres, ground elements and glow balls.
#pragma once

struct ActorRecord;

// Called once per frame by the game tick. The emitters and the mana spheres act for the steered
// actor, the ground elements swarm around the hero.
void FX_UpdateEmitters(ActorRecord *actor);
void FX_UpdateManaSpheres(ActorRecord *actor);
void FX_UpdateParticles();
void FX_UpdateSparks();
void FX_UpdateThrown();
void FX_UpdateGroundElements(ActorRecord *hero);
void FX_UpdateBalls();
