// Particles: the particle sprites and the particle pool.
#pragma once
#include <cstdint>

void PTC_LoadSprites();
int32_t PART_Create(int32_t count, int32_t mode, int32_t spawn_shift);
struct ActorRecord;
// Called once per frame by the game tick with the hero: the particles' attractor follows it.
void PART_SetAttractor(ActorRecord *actor, int32_t index, int32_t strength);
