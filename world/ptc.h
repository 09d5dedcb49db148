// Particles: the particle sprites and the particle pool.
#pragma once
#include <cstdint>

struct ActorRecord;

// The box the particle field emits from, corner a and point b in 24.8 fixed point; the vents move it.
extern int32_t PART_EmissionA[3];
extern int32_t PART_EmissionB[3];

void PTC_LoadSprites();
int32_t PART_Create(int32_t count, int32_t mode, int32_t spawn_shift);
// The level load starts the particle system of the current project.
void PART_Init();
// The character loader stops a character's emitter: the particles follow that actor.
void PART_SetFollowActor(ActorRecord *actor);
// Called once per frame by the game tick, after the particle sprite's texels are known.
void PART_Update();
// Called once per frame by the game tick with the hero: the particles' attractor follows it.
void PART_SetAttractor(ActorRecord *actor, int32_t index, int32_t strength);
