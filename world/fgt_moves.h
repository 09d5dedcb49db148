// The hero's move handlers on the ground, in water and in the air.
#pragma once
#include <cstdint>

struct ActorRecord;

// Frames left after a take-off from open ground; the level load clears it.
extern int32_t FGT_TakeOffTimer;

// Called once per frame by the hero's fight step for its physics mode (1 ground, 2 water, 3 air): the
// controls turned into the hero's actions. inReach: the target is within the fight reach; f92Near: an
// "F92" enemy is within 400 units.
void FGT_FightMoves(ActorRecord *hero, int32_t inReach, int32_t f92Near);
void FGT_SwimMoves(ActorRecord *hero, int32_t inReach);
void FGT_AirMoves(ActorRecord *hero, int32_t inReach);
